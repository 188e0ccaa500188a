#pragma once

#include <QPointer>

class TFormmain;
class TFormDeclare;
class TFormupdate;
class TFormSelCloud;
class TFormMusic;
class TFormMtv;

// The most recently created window of each kind; null before the first and after it is destroyed.
inline QPointer<TFormmain> Formmain;
inline QPointer<TFormDeclare> FormDeclare;
inline QPointer<TFormupdate> Formupdate;
inline QPointer<TFormSelCloud> FormSelCloud;
inline QPointer<TFormMusic> FormMusic;
inline QPointer<TFormMtv> FormMtv;
