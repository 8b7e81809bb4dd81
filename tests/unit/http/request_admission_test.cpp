// Which requests reach the pages: the Host, Origin, Referer and Sec-Fetch-Site matrix.

#include "http/request_admission.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/http_request.h"

namespace {

Admission Verdict(const std::string& headers) {
    const std::string bytes = "GET /Status.html HTTP/1.1\r\n" + headers + "\r\n";
    CHttpRequest request;
    request.Parse(bytes.data(), static_cast<int>(bytes.size()));
    return AdmitRequest(request, CLocalNames("10.1.2.3", "Plotroom-PC")).admission;
}

TEST(RequestAdmission, AdmitsThisComputersOwnBrowserAndTools) {
    const std::vector<std::string> admitted = {
        "",  // the second engine's probe, plain tools
        "Host: 127.0.0.1:8190\r\n",
        "Host: localhost\r\n",
        "Host: LOCALHOST:8190\r\n",
        "Host: 10.1.2.3:8190\r\n",
        "Host: plotroom-pc\r\n",
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: none\r\n",  // typed address, bookmark
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: same-origin\r\n",
        "Referer: http://127.0.0.1:8190/MainMenu.html\r\n",
        "Referer: http://localhost:8190/a.html?x=http://elsewhere/\r\n",
        // Links between the pages on 127.0.0.1 and on the engine's address are cross-site
        // to the browser, yet both are the engine's own.
        "Host: 10.1.2.3:8190\r\nReferer: http://127.0.0.1:8190/\r\nSec-Fetch-Site: cross-site\r\n",
        "Host: 127.0.0.1:8190\r\nOrigin: http://10.1.2.3:8190\r\nSec-Fetch-Site: same-site\r\n",
    };
    for (const std::string& headers : admitted) {
        EXPECT_EQ(Verdict(headers), Admission::Admitted) << headers;
    }
}

TEST(RequestAdmission, RefusesAnotherHostName) {
    const std::vector<std::string> foreign = {
        "Host: rebound.example\r\n",
        "Host: 127.0.0.1:8080\r\n",
        "Host: localhost.\r\n",
        "Host: 127.0.0.1.rebound.example\r\n",
        "Host: \r\n",
        "host: rebound.example\r\n",  // header names in any case
        "Host: 127.0.0.1\r\nHOST: rebound.example\r\n"};
    for (const std::string& headers : foreign) {
        EXPECT_EQ(Verdict(headers), Admission::ForeignHost) << headers;
    }
}

TEST(RequestAdmission, RefusesRequestsOnBehalfOfAnotherSite) {
    const std::vector<std::string> crossSite = {
        "Referer: http://elsewhere.example/attack.html\r\n",
        "Referer: http://elsewhere.example/?http://127.0.0.1:8190/\r\n",
        "Referer: http://127.0.0.1@elsewhere.example/\r\n",
        "Referer: http://127.0.0.1:8190.elsewhere.example/\r\n",
        "Referer: https://127.0.0.1:8190/\r\n",
        "Referer: http://127.0.0.1:9000/\r\n",
        "referer: http://elsewhere.example/\r\n",
        "Origin: null\r\n",
        "Origin: http://elsewhere.example\r\nReferer: http://127.0.0.1:8190/\r\n",
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: cross-site\r\n",
        "Host: 127.0.0.1:8190\r\nSec-Fetch-Site: same-site\r\n",
    };
    for (const std::string& headers : crossSite) {
        EXPECT_EQ(Verdict(headers), Admission::CrossSite) << headers;
    }
}

}  // namespace
