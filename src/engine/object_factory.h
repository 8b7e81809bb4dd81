#pragma once
/// The process-wide factory for the engine's sockets and thread objects.

class CRunnable;
class CWinHttpSocket;
class CWinThread;

class CObjectFactory {
public:
    virtual ~CObjectFactory() = default;

    /// A new, unopened socket that the caller owns. The socket layer fills this slot; until
    /// it is part of the engine there is no socket to give and the result is null.
    virtual CWinHttpSocket* CreateSocket();
    /// A new thread object for `runnable`, not yet started; the caller owns it.
    virtual CWinThread* NewThread(CRunnable* runnable);

    static CObjectFactory& Instance();
};
