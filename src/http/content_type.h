#pragma once
/// What kind of file a name stands for: the "Content-Type" of a plain file, and whether a
/// path is a page that goes through the template language.

#include <string>

/// By the text after the last ".", in any letter case: gif, js, css and xml have a type;
/// anything else (or no extension) gives an empty type, i.e. no header.
std::string ContentTypeOf(const std::string& fileName);

/// True when the path ends with ".html" or ".htm" in any letter case.
bool IsHtmlPage(const std::string& path);
