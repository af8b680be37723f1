// Turns the ways a desktop session ends a program (SIGTERM, SIGINT) into one Qt signal on the UI thread,
// so that they close the program in an orderly way. A second request while the first is being served
// ends the process at once. Install once, from the UI thread.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace murmex::platform {

class TerminationRequests : public QObject {
    Q_OBJECT
public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

signals:
    void Requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace murmex::platform
