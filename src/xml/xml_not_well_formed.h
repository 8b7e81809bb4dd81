#pragma once
/// The one error of the XML reader. Thrown as a pointer to a new object; the catcher deletes
/// it. It stands outside the engine's own exception family.

class CXMLNotWellFormed {
public:
    virtual ~CXMLNotWellFormed() = default;
};
