// Turns the ways a desktop session ends a program (SIGTERM, SIGINT, and SIGHUP for a closed terminal or a
// logout) into one Qt signal on the UI thread, so that they close the program in an orderly way. Signals
// within kSameRequestMs of the first are the same request (a logout sends SIGTERM and SIGHUP at once); one
// after that means the orderly close is stuck, and ends the process at once. Install once, from the UI thread.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace murmex::platform {

class TerminationRequests : public QObject {
    Q_OBJECT
public:
    static constexpr long long kSameRequestMs = 3000;

    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

signals:
    void Requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace murmex::platform
