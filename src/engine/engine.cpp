#include "engine/engine.h"

#include <exception>

#include "base/log.h"
#include "base/tavrin_exception.h"
#include "engine/startup_failure_table.h"
#include "engine/system_info.h"
#include "http/connection_handler_factory.h"
#include "http/listener.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"
#include "pages/printer_port.h"
#include "platform/program.h"
#include "platform/socket_library.h"
#include "platform/socket_system.h"

using engine_log::Line;

const char* const kInstallationKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter";

CEngine::CEngine()
    : m_objectFactory(CObjectFactory::Instance()),
      m_lock(std::make_unique<platform::ReentrantLock>()) {
    // When the library offers another version than 1.1 it is shut down again at once; the
    // engine goes on and its socket calls fail later.
    m_socketLibraryStarted = platform::StartSocketLibrary();
}

CEngine::~CEngine() {
    m_connections.WaitForAll();
    m_listeningSocket.reset();
    if (m_socketLibraryStarted) platform::StopSocketLibrary();
}

bool CEngine::Lock() {
    m_lock->Enter();
    return true;
}

bool CEngine::Unlock() {
    m_lock->Leave();
    return true;
}

void CEngine::SetPageVariable(const std::string& name, const std::string& value) {
    Lock();
    m_pageVariables[name] = value;
    Unlock();
}

std::string CEngine::GetPageVariable(const std::string& name) {
    Lock();
    auto found = m_pageVariables.find(name);
    std::string value = found == m_pageVariables.end() ? std::string() : found->second;
    Unlock();
    return value;
}

void CEngine::SetInstallationDirectory(const std::string& directory) {
    m_installationDirectory = directory;
    SetPageVariable("installation-directory", directory);
}

void CEngine::CollectSystemInfo(TextMap& table) {
    ::CollectSystemInfo(table, GetPageVariable("prod-name"));
}

void CEngine::SetStartAddress(const std::string& page, bool http) {
    if (http) {
        m_startAddress =
            "http://" + GetLocalAddress() + ":" + std::to_string(kEnginePort) + "/" + page;
    } else {
        const char separator = platform::PathSeparator();
        const std::string moduleDirectory =
            m_moduleConfig ? m_moduleConfig->GetModuleDirectory() : GetPageVariable("module-dir");
        m_startAddress = m_installationDirectory + separator + moduleDirectory + separator + "www" +
                         separator + page;
    }
}

std::string CEngine::GetLocalAddress() {
    return platform::LocalHostAddress(platform::SocketSystem::System());
}

bool CEngine::Initialize() {
    try {
        FindInstalledModules();
        LoadConfiguration();
        try {
            ReadProductNumber();
        } catch (CCannotOpenPrinterPort* caught) {
            TakeOwnership(caught);
            engine_log::Log(Line::Forced,
                            "Ignoring that the %1 channel %2 used cannot be opened while "
                            "retrieving the product number.",
                            GetPageVariable("prttype"), GetPageVariable("prtaddr"));
        } catch (CPrinterIOError* caught) {
            TakeOwnership(caught);
            if (GetPageVariable("prttype") != "parallel") {
                ReportStartupFailure(9);
                return false;
            }
            engine_log::Log(Line::Forced,
                            "Ignoring that the %1 channel %2 used cannot be used while "
                            "retrieving the product number.",
                            GetPageVariable("prttype"), GetPageVariable("prtaddr"));
        }
        OpenListeningPort();
        if (m_listeningSocket == nullptr) {
            // Another engine serves this module and printer: hand the user over to it.
            engine_log::Log(Line::Forced,
                            "Another engine already serves this module and printer; opening %1.",
                            m_startAddress);
            LaunchBrowser();
            return false;
        }
        if (!CheckProxyBypass()) throw new CIncorrectProxySettings;
        SetPageVariable("ip-address", GetLocalAddress());
        return true;
    } catch (CTavrinException* caught) {
        auto failure = TakeOwnership(caught);
        ReportStartupFailure(StartupFailureKind(*failure));
    } catch (std::exception& caught) {
        engine_log::Log(Line::Forced, "Caught exception: %1", caught.what());
        ReportStartupFailure(0);
    } catch (...) {
        engine_log::Log(Line::Forced, "Caught unknown exception!");
        ReportStartupFailure(0);
    }
    return false;
}

void CEngine::Run() {
    LaunchBrowser();
    CPageConnectionHandlers handlers(m_pageContext);
    RunAcceptLoop(*m_listeningSocket, handlers, m_connections, m_stopFlag, m_objectFactory);
}
