#pragma once

#include <QApplication>

// The program's application object; it captions notices and error boxes with the application
// title. Every event it delivers runs inside one guard: an error that
// no guard of a handler caught (an exception leaving a slot, a timer or an event handler) ends the
// handling of that event only. It is logged under quvo.shell and shown in an error box captioned
// with the application title, and the program keeps running.
class GuardedApplication final : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void reportUncaught(const QString& text, QObject* receiver, const QEvent* event) const;
};
