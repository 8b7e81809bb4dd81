#pragma once
/// The start-up failures: for each kind, the exception that stands for it, its forced log line
/// with the values it inserts, and how the user is told (a message box, or an error page).

class CTavrinException;

/// A value inserted into a failure's log line.
enum class StartupValue {
    None,
    Module,             // page variable "module"
    ModuleDirectory,    // from the module configuration
    ProductNumberFile,  // from the module configuration
    PrinterType,        // page variable "prttype"
    PrinterAddress,     // page variable "prtaddr"
    ProductNumber,      // page variable "prod-number"
    ModuleName          // from the module configuration
};

enum class StartupNotice {
    None,
    MessageBox,  // message box `message`
    LocalPage,   // `page` from the module's "www" folder
    ServedPage   // `page` asked from whoever holds the engine's port
};

struct StartupFailure {
    int kind;
    /// True for the exception this kind stands for; null where no exception does.
    bool (*matches)(const CTavrinException&);
    /// Null: the kind writes no line.
    const char* logFormat;
    StartupValue first;
    StartupValue second;
    StartupNotice notice;
    const char* page;
    int message;
};

/// The row of `kind`; null for a kind that does not exist.
const StartupFailure* StartupFailureOfKind(int kind);
/// The kind that an exception reaching the end of start-up stands for; 0 for any other.
int StartupFailureKind(const CTavrinException& failure);
