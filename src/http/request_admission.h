#pragma once
/// Which requests the engine answers. Its pages run printer commands, so only this
/// workstation's own browser may drive them: a request naming another host (a site whose name
/// was rebound to this computer) or sent on behalf of another site (a hidden image, a link, a
/// form on someone else's page) is refused before anything runs.

#include <string>
#include <vector>

class CHttpRequest;

/// The names by which this computer's browser reaches the engine: "localhost", "127.0.0.1",
/// the engine's own address and this computer's host name, each alone or with the engine's
/// port. Letter case aside, as in host names.
class CLocalNames {
public:
    CLocalNames(const std::string& ipAddress, const std::string& hostName);

    /// True when `authority` ("name" or "name:port") is one of the local names.
    bool Names(const std::string& authority) const;

private:
    std::vector<std::string> m_names;
};

enum class Admission {
    Admitted,
    /// A "Host" header names another host.
    ForeignHost,
    /// "Origin" or "Referer" names another site, or the browser says the request is
    /// cross-site and names none.
    CrossSite,
};

struct AdmissionVerdict {
    Admission admission;
    /// The header value that decided a refusal, for the log.
    std::string evidence;
};

/// Decides on the request's "Host", "Origin", "Referer" and "Sec-Fetch-Site" headers (names
/// in any letter case). A request without any of them, as the engine's own probe and plain
/// tools send, is admitted.
AdmissionVerdict AdmitRequest(const CHttpRequest& request, const CLocalNames& names);
