#pragma once
/// The process-wide factory for the engine's sockets and thread objects. Tests may put their
/// own in its place.

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

    /// The factory in use: the real one unless a test substituted another.
    static CObjectFactory& Instance();
    /// Puts `factory` (not owned; null for the real one) in use from now on and returns the
    /// one it replaces, so a test can put that back. Not for use while a server runs.
    static CObjectFactory* Substitute(CObjectFactory* factory);
};
