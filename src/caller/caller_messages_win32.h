#pragma once
/// The caller's two message boxes; each returns when the user has closed it.

/// The system's text for error `code` with the caption "Error" and the information icon.
void ShowSystemErrorMessage(unsigned long code);

/// The message of the caller's string table that a queue's port cannot be used, with the
/// error icon.
void ShowUnusablePortMessage();
