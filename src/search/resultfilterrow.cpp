#include "search/resultfilterrow.h"

#include "search/searchrecord.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace {

QLineEdit* sizeBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setPlaceholderText(QStringLiteral("如 700 MB"));
    box->setFixedWidth(90);
    return box;
}

} // namespace

ResultFilterRow::ResultFilterRow(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlFilter"));
    const SearchRecord::SizeBounds bounds = SearchRecord::filterSizeBounds();
    m_words = new QLineEdit(this);
    m_words->setObjectName(QStringLiteral("EdtFilter"));
    m_words->setPlaceholderText(QStringLiteral("标题中的词,以空格分开;-词 排除"));
    m_words->setClearButtonEnabled(true);
    m_leastSize = sizeBox(this, "EdtFilterMinSize", bounds.least);
    m_greatestSize = sizeBox(this, "EdtFilterMaxSize", bounds.greatest);
    auto* closeButton = new QToolButton(this);
    closeButton->setObjectName(QStringLiteral("btnFilterClose"));
    closeButton->setText(QStringLiteral("关闭"));
    closeButton->setToolTip(QStringLiteral("关闭筛选,显示全部结果 (Esc)"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(new QLabel(QStringLiteral("筛选结果:"), this));
    layout->addWidget(m_words, 1);
    layout->addWidget(new QLabel(QStringLiteral("大小"), this));
    layout->addWidget(m_leastSize);
    layout->addWidget(new QLabel(QStringLiteral("至"), this));
    layout->addWidget(m_greatestSize);
    layout->addWidget(closeButton);
    hide();

    connect(m_words, &QLineEdit::textChanged, this, &ResultFilterRow::changed);
    for (QLineEdit* box : {m_leastSize, m_greatestSize}) {
        connect(box, &QLineEdit::textChanged, this, [this] {
            SearchRecord::setFilterSizeBounds({m_leastSize->text().trimmed(), m_greatestSize->text().trimmed()});
            changed();
        });
    }
    connect(closeButton, &QToolButton::clicked, this, &ResultFilterRow::closeRow);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &ResultFilterRow::closeRow);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

void ResultFilterRow::openRow()
{
    show();
    m_words->setFocus();
    m_words->selectAll();
    changed();
}

void ResultFilterRow::closeRow()
{
    if (isHidden())
        return;
    hide();
    Q_EMIT filterChanged(filter());
}

ResultFilter ResultFilterRow::filter() const
{
    if (isHidden())
        return {};
    return ResultFilter(m_words->text(), m_leastSize->text(), m_greatestSize->text());
}

void ResultFilterRow::changed()
{
    if (isHidden())
        return;
    const ResultFilter current = filter();
    markBound(m_leastSize, current.minSizeValid());
    markBound(m_greatestSize, current.maxSizeValid());
    Q_EMIT filterChanged(current);
}

void ResultFilterRow::markBound(QLineEdit* box, bool valid)
{
    box->setStyleSheet(valid ? QString() : QStringLiteral("color: red;"));
    box->setToolTip(valid ? QString() : QStringLiteral("不是大小,请写成 700 MB 或 1.5 GB 的样子"));
}
