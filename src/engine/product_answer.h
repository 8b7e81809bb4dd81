#pragma once
/// What a printer's answer to the product number request says: its product number, the key
/// the supported product table knows it by, and the name to show.

#include <string>

struct ProductAnswer {
    std::string productNumber;
    std::string productKey;
    /// Set only for a long answer that names a model.
    bool hasDisplayName = false;
    std::string displayName;
};

/// Reads the answer as received. One of more than 8 bytes (trailing CR and LF counted) is
/// "<product number, 6 characters>...MODEL:<model> (<...>)": the model is the key. A shorter
/// one, without its trailing CR and LF, is both number and key. A long answer without
/// "MODEL:" names no model: its whole text is the key.
ProductAnswer ParseProductAnswer(const std::string& received);
