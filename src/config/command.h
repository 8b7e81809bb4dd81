#pragma once
/// One printer command of a module: the page that triggers it, the file it sends and how.

#include <string>

struct CCommand {
    std::string name;
    std::string htmlPage;  // lower case
    std::string fileToSend;
    bool parseFile = false;
    bool onlyLpt1 = false;
    int writeTimeout = 0;       // seconds
    int readTimeout = 0;        // seconds
    int backchannelLength = 0;  // 0: no answer; > 0: exact length; < 0: until the printer stops
    std::string backchannelName;
    bool parseBackchannel = false;
    bool displayProgress = false;
    bool requiresExtraXmlInfo = false;
};
