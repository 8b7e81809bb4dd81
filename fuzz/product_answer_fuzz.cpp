// Any bytes a printer may send in answer to the product number request: the reading never
// fails, and what it takes out of the answer lies inside it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/product_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string received(reinterpret_cast<const char*>(data), size);
    const ProductAnswer answer = ParseProductAnswer(received);
    if (received.find(answer.productNumber) == std::string::npos) std::abort();
    if (received.find(answer.productKey) == std::string::npos) std::abort();
    if (answer.productNumber.size() > 8) std::abort();
    if (answer.hasDisplayName && answer.displayName.size() != answer.productKey.size()) {
        std::abort();
    }
    return 0;
}
