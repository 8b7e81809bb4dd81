#pragma once
/// The template language of module pages, command files and back-channel texts: text is copied
/// byte for byte, tags in double square brackets insert values, choose between branches and set
/// variables.

#include <istream>
#include <ostream>

#include "text/text_map.h"

class CPageContext;

/// Choices nested deeper than this are treated as unterminated: they consume the rest of the
/// input instead of recursing further, so no input can exhaust the stack.
constexpr int kMaxChoiceDepth = 256;

class CTemplateProcessor {
public:
    /// Neither argument is owned. `variables` is the map of this expansion; looking a name up
    /// adds it, and "set" writes both into it and into the context's page variable table.
    CTemplateProcessor(CPageContext& context, TextMap& variables);
    virtual ~CTemplateProcessor();
    CTemplateProcessor(const CTemplateProcessor&) = delete;
    CTemplateProcessor& operator=(const CTemplateProcessor&) = delete;

    /// Reads `input` to its end and writes the expansion to `output`. Never reports an error:
    /// whatever is malformed is dropped. May be called while the context's lock is held by
    /// the calling thread.
    void Expand(std::istream& input, std::ostream& output);

private:
    CPageContext& m_context;
    TextMap& m_variables;
};
