#pragma once

namespace corvane {

// Ends the call that is out on the network, from another thread. A backend that runs its calls
// on a worker thread implements this so that the window can give up waiting: the call then
// fails with status::Cancelled within half a second, and the next call to that server
// connects afresh. Calling it when no call is out does nothing to later calls.
class CallCanceller {
public:
    virtual ~CallCanceller() = default;
    virtual void cancelCurrentCall() = 0;
};

} // namespace corvane
