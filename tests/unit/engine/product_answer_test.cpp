// How the printer's answer to the product number request is read.

#include <gtest/gtest.h>

#include "engine/product_answer.h"

namespace {

TEST(ProductAnswer, LongAndShortAnswers) {
    struct Row {
        const char* received;
        const char* number;
        const char* key;
        const char* shown;  // null: no display name
    };
    const Row rows[] = {
        {"Q6683A PLOTARA MODEL:orvik plotara 530 (A0)\r\n", "Q6683A", "orvik plotara 530",
         "Orvik Plotara 530"},
        // Several line ends; a model of another maker keeps its spelling.
        {"Q1251A x MODEL:Tolvar 9 (B)\r\n\r\n\r\n", "Q1251A", "Tolvar 9", "Tolvar 9"},
        // Only the first "(" after the mark ends the model.
        {"Q1251A (x) MODEL:orvik plotara 500n (A1) (B)", "Q1251A", "orvik plotara 500n",
         "Orvik Plotara 500n"},
        // No bracket: the model runs to the end.
        {"Q1251A MODEL:orvik plotara 600\r\n", "Q1251A", "orvik plotara 600", "Orvik Plotara 600"},
        // No mark: a long answer that names no model is its own key.
        {"Q1251A READY NOW\r\n", "Q1251A", "Q1251A READY NOW", nullptr},
        // At most 8 bytes as received, line ends counted: used whole.
        {"Q6683A\r\n", "Q6683A", "Q6683A", nullptr},
        {"ABCDEFGH", "ABCDEFGH", "ABCDEFGH", nullptr},
        // A 7-byte number followed by CR LF is 9 bytes: the long path.
        {"Q6683AB\r\n", "Q6683A", "Q6683AB", nullptr},
        {"", "", "", nullptr},
    };
    for (const Row& row : rows) {
        const ProductAnswer answer = ParseProductAnswer(row.received);
        EXPECT_EQ(answer.productNumber, row.number) << row.received;
        EXPECT_EQ(answer.productKey, row.key) << row.received;
        EXPECT_EQ(answer.hasDisplayName, row.shown != nullptr) << row.received;
        if (row.shown) {
            EXPECT_EQ(answer.displayName, row.shown) << row.received;
        }
    }
}

}  // namespace
