#pragma once
/// The process-wide factory for the engine's sockets and thread objects.

class CRunnable;
class CWinHttpSocket;
class CWinThread;

class CObjectFactory {
public:
    virtual ~CObjectFactory() = default;

    /// A new, unopened socket that the caller owns.
    virtual CWinHttpSocket* CreateSocket();
    /// A new thread object for `runnable`, not yet started; the caller owns it.
    virtual CWinThread* NewThread(CRunnable* runnable);

    static CObjectFactory& Instance();
};
