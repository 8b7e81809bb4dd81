#pragma once
/// The variable maps that a page or a command file is expanded with, built from the engine's
/// page variable table and the stores of one request. Every builder expects the caller to hold
/// the engine lock while it reads the page variable table.

#include <string>

#include "text/text_map.h"

/// Inserts every pair of `source` whose name `target` does not hold yet: the first source merged
/// into a map wins.
void MergeVariables(TextMap& target, const TextMap& source);

/// The value of `name`; an absent name is added with an empty value, so no caller ever sees a
/// missing variable.
const std::string& LookUpVariable(TextMap& variables, const std::string& name);

/// The map of one page: the page variable table, then the request parameters, then the response
/// variables, so a query can never replace an engine variable and a response variable replaces
/// neither.
TextMap BuildPageVariables(const TextMap& pageTable, const TextMap& requestParameters,
                           const TextMap& responseVariables);

/// The map of a command file or a back-channel text: the page variable table, then the request
/// parameters, then the extra information table (empty unless the command asks for it).
TextMap BuildCommandVariables(const TextMap& pageTable, const TextMap& requestParameters,
                              const TextMap& extraInformation);
