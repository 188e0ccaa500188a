#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's message boxes. Plain notices and error boxes are captioned with the application
// title; confirmations are question boxes with OK and Cancel, captioned "提示" unless told otherwise.
namespace MessageBoxes {

enum class Kind { Plain, Error, Confirm, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct Request {
    Kind kind = Kind::Plain;
    QString caption;
    QString text;
    bool onScreenCentre = false; // centred on the owner's screen rather than over the owner
};

using Responder = std::function<Answer(const Request&)>; // tests answer through TestHooks

// The application title that captions notices and error boxes; set once at start.
void setApplicationTitle(const QString& title);

void inform(QWidget* owner, const QString& text);
// The same notice, centred on the screen (still modal to its owner).
void informOnScreenCentre(QWidget* owner, const QString& text);
void error(QWidget* owner, const QString& text);
// True only when the user answered OK.
bool confirm(QWidget* owner, const QString& text, const QString& caption = QStringLiteral("提示"));
// True only when the user answered Yes.
bool askYesNo(QWidget* owner, const QString& text, const QString& caption = QStringLiteral("提示"));

} // namespace MessageBoxes
