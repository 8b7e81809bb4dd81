#include "caller/caller_arguments.h"

namespace {

const char* const kDefaultStartPage = "MainMenu.html";

}  // namespace

bool ParseCallerArguments(const std::vector<std::string>& arguments, CallerArguments* parsed) {
    if (arguments.size() != 1 || arguments[0].size() >= kCallerArgumentLimit) return false;
    const std::string& argument = arguments[0];
    if (argument.find("start") == std::string::npos) {
        parsed->queueName = argument;
        parsed->startPage = kDefaultStartPage;
        return true;
    }
    // Without a "/" there is no separator to split at: a queue may well carry "start" in its
    // own name ("Restart Plotter"), so the whole argument names the queue and the default page
    // is opened, as for an argument without "start".
    const std::size_t slash = argument.find('/');
    if (slash == std::string::npos) {
        parsed->queueName = argument;
        parsed->startPage = kDefaultStartPage;
        return true;
    }
    parsed->queueName = argument.substr(0, slash);
    const std::size_t colon = argument.find(':');
    parsed->startPage = colon == std::string::npos ? std::string() : argument.substr(colon + 1);
    return true;
}
