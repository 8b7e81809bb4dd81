#include "pages/page_variables.h"

void MergeVariables(TextMap& target, const TextMap& source) {
    // A range insert keeps every entry already present.
    target.insert(source.begin(), source.end());
}

const std::string& LookUpVariable(TextMap& variables, const std::string& name) {
    return variables[name];
}

TextMap BuildPageVariables(const TextMap& pageTable, const TextMap& requestParameters,
                           const TextMap& responseVariables) {
    TextMap variables;
    MergeVariables(variables, pageTable);
    MergeVariables(variables, requestParameters);
    MergeVariables(variables, responseVariables);
    return variables;
}

TextMap BuildCommandVariables(const TextMap& pageTable, const TextMap& requestParameters,
                              const TextMap& extraInformation) {
    TextMap variables;
    MergeVariables(variables, pageTable);
    MergeVariables(variables, requestParameters);
    MergeVariables(variables, extraInformation);
    return variables;
}
