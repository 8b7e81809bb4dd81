#pragma once
/// What the CUPS server knows of one queue.

#include <string>

struct CupsQueue {
    std::string deviceUri;
    std::string makeAndModel;
};

/// Asks the server libcups is set up for (CUPS_SERVER, client.conf or the local one) for the
/// queue `name`; false with a message in `*problem` when it has no such queue or is not
/// reachable.
bool QueryCupsQueue(const std::string& name, CupsQueue* queue, std::string* problem);
