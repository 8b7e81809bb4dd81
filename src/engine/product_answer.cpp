#include "engine/product_answer.h"

#include "text/line_ends.h"

namespace {

constexpr std::size_t kShortAnswerLimit = 8;
constexpr std::size_t kProductNumberLength = 6;
const char* const kModelMark = "MODEL:";
const std::string kFamilyLower = "orvik plotara";
const std::string kFamilyShown = "Orvik Plotara";

}  // namespace

ProductAnswer ParseProductAnswer(const std::string& received) {
    ProductAnswer answer;
    const std::string text = WithoutTrailingLineEnds(received);
    if (received.size() <= kShortAnswerLimit) {
        answer.productNumber = text;
        answer.productKey = text;
        return answer;
    }
    answer.productNumber = text.substr(0, kProductNumberLength);
    const std::size_t mark = text.find(kModelMark);
    if (mark == std::string::npos) {
        answer.productKey = text;
        return answer;
    }
    const std::size_t modelStart = mark + std::char_traits<char>::length(kModelMark);
    const std::size_t bracket = text.find('(', modelStart);
    std::string model;
    if (bracket == std::string::npos) {
        model = text.substr(modelStart);
    } else {
        // Without the blank that separates the model from its bracket.
        const std::size_t end = bracket > modelStart ? bracket - 1 : modelStart;
        model = text.substr(modelStart, end - modelStart);
    }
    answer.productKey = model;
    answer.hasDisplayName = true;
    answer.displayName = model;
    if (model.compare(0, kFamilyLower.size(), kFamilyLower) == 0) {
        answer.displayName.replace(0, kFamilyLower.size(), kFamilyShown);
    }
    return answer;
}
