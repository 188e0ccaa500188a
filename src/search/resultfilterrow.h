#pragma once

#include "search/resultfilter.h"

#include <QFrame>

class QLineEdit;

// The row above the result list where the user filters it: words (a leading "-" excludes a word) and a
// least and a greatest size. Hidden until opened; closing it (its button, Esc) shows every row again.
// The size bounds are kept for the next run; the words only while the program runs.
class ResultFilterRow final : public QFrame {
    Q_OBJECT
public:
    explicit ResultFilterRow(QWidget* parent = nullptr);

    void openRow();  // shown, the words box focused; the filter is in force again
    void closeRow(); // hidden; every row shown again
    // What the row asks for now: the empty filter while it is hidden.
    ResultFilter filter() const;

Q_SIGNALS:
    void filterChanged(const ResultFilter& filter);

private:
    void changed();
    void markBound(QLineEdit* box, bool valid);

    QLineEdit* m_words = nullptr;
    QLineEdit* m_leastSize = nullptr;
    QLineEdit* m_greatestSize = nullptr;
};
