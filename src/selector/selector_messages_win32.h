#pragma once
/// The selector's texts from its string table, and its error messages.

#include <windows.h>

#include <string>

/// String `id` of the selector's table in the user's language, as UTF-8.
std::string SelectorString(unsigned id);

/// A message box over `owner` with the selector's title as caption, the error icon and the
/// text of string `textId`; returns when the user has closed it.
void ShowSelectorMessage(HWND owner, unsigned textId);
