// Expands arbitrary bytes as a page is expanded: under the context's lock, with a small map.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "pages/template_processor.h"
#include "support/fixed_page_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TextMap variables{{"a", "x"}, {"b", "it's a b"}, {"c", ""}};
    std::size_t longestValue = 0;
    for (const auto& entry : variables) longestValue = std::max(longestValue, entry.second.size());

    CFixedPageContext context;
    std::istringstream input(text);
    std::ostringstream output;
    context.Lock();
    CTemplateProcessor(context, variables).Expand(input, output);
    context.Unlock();
    const std::string result = output.str();

    if (text.find("[[") == std::string::npos) {
        // Without tags the text comes back as it was, less a trailing lone "[".
        std::string expected = text;
        if (!expected.empty() && expected.back() == '[') expected.pop_back();
        if (result != expected) std::abort();
        return 0;
    }
    // Text bytes are copied at most once. A tag that writes anything takes at least the seven
    // bytes of "[[param" and writes at most three bytes for each byte of one value, and a value
    // is either one of the map's or a word that "set" read from the input.
    const std::size_t valueBound = std::max(longestValue, size);
    if (result.size() > size + (size / 7 + 1) * 3 * valueBound) std::abort();
    return 0;
}
