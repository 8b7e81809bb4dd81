#pragma once
/// The caller's command line: which queue to serve and which page the engine opens first.

#include <cstddef>
#include <string>
#include <vector>

struct CallerArguments {
    std::string queueName;
    std::string startPage;
};

/// The longest argument accepted is one character shorter than this.
constexpr std::size_t kCallerArgumentLimit = 260;

/// Splits the single argument into queue name and start page. With "start" anywhere in it the
/// queue is the text before the first "/" and the page the text after the first ":"; otherwise
/// the whole argument names the queue and the page is "MainMenu.html".
/// false when the command line is wrong (exit 87): not exactly one argument of fewer than 260
/// characters.
bool ParseCallerArguments(const std::vector<std::string>& arguments, CallerArguments* parsed);
