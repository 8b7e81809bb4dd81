// The product number step of start-up: ask the printer who it is and check that the chosen
// module supports it.

#include <fstream>
#include <sstream>

#include "base/abandoned_threads.h"
#include "base/tavrin_exception.h"
#include "base/win_thread.h"
#include "engine/engine.h"
#include "engine/port_opener.h"
#include "engine/product_answer.h"
#include "http/object_factory.h"
#include "pages/printer_port.h"
#include "platform/program.h"

namespace {

constexpr int kOpenWaitMs = 5000;
constexpr int kOpenCheckMs = 100;
constexpr int kWriteTimeoutSeconds = 1;
constexpr int kDefaultAnswerTimeoutSeconds = 5;
constexpr int kReadUntilSilence = -1;

// The answer time-out in force, kept for the whole process.
int g_answerTimeoutSeconds = kDefaultAnswerTimeoutSeconds;

}  // namespace

void CEngine::ReadProductNumber() {
    const std::string fileName = m_moduleConfig->GetProductNumberFile();
    if (fileName.empty()) throw new CProdNumberFileDoesNotExist;
    std::ifstream file(platform::WithPlatformSeparators(m_moduleConfig->GetModuleDirectory() +
                                                        "\\vw\\" + fileName),
                       std::ios::in | std::ios::binary);
    if (!file.is_open()) throw new CProdNumberFileDoesNotExist;
    std::stringstream answer(std::ios::in | std::ios::out | std::ios::binary);

    auto opener = std::make_shared<CPortOpener>(m_printerPort);
    std::unique_ptr<CWinThread> thread(m_objectFactory.NewThread(opener.get()));
    bool finished = false;
    if (thread->Start() != nullptr) {
        for (int waited = 0; waited < kOpenWaitMs && !finished; waited += kOpenCheckMs) {
            finished = opener->WaitUntilDone(std::chrono::milliseconds(kOpenCheckMs));
        }
    }
    if (!finished && opener->GiveUp()) {
        // Never killed: it may hold the heap or a lock of the system. It closes the port
        // itself when its open ends.
        AbandonThread(std::move(thread), {opener, m_printerPort});
        throw new CCannotOpenPrinterPort;
    }
    thread->Wait();
    thread.reset();
    if (!m_printerPort->IsOpen()) throw new CCannotOpenPrinterPort;

    const int configured = m_moduleConfig->GetProductNumberTimeout();
    g_answerTimeoutSeconds = configured == 0 ? kDefaultAnswerTimeoutSeconds : configured;
    try {
        m_printerPort->SendThenRead(file, kWriteTimeoutSeconds, answer, g_answerTimeoutSeconds,
                                    kReadUntilSilence);
        m_printerPort->Close();
    } catch (CTavrinException* caught) {
        TakeOwnership(caught);
        m_printerPort->Close();
        throw new CPrinterIOError;
    }

    const ProductAnswer product = ParseProductAnswer(answer.str());
    if (product.hasDisplayName) SetPageVariable("display-name", product.displayName);
    SetPageVariable("prod-name", product.productKey);
    SetPageVariable("prod-number", product.productNumber);

    auto supported = m_supportedProducts.find(product.productKey);
    if (supported == m_supportedProducts.end() ||
        supported->second != m_moduleConfig->GetModuleName()) {
        throw new CPrinterNotSupported;
    }
}
