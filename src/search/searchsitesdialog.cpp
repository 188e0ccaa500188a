#include "search/searchsitesdialog.h"

#include "search/searchsites.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

SearchSitesDialog::SearchSitesDialog(SearchSites& sites, QWidget* parent) : QDialog(parent), m_sites(sites)
{
    setObjectName(QStringLiteral("SearchSitesDialog"));
    setWindowTitle(QStringLiteral("搜索网站"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("搜索时依次尝试下列网站:"), this));
    m_list = new QLabel(this);
    m_list->setObjectName(QStringLiteral("lblSearchSites"));
    m_list->setTextFormat(Qt::PlainText); // mirrors come from the settings document
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_list);
    layout->addWidget(new QLabel(QStringLiteral("自己的网址(最先尝试,留空则不用):"), this));
    m_address = new QLineEdit(QString::fromLatin1(sites.userAddress()), this);
    m_address->setObjectName(QStringLiteral("EdtSearchSite"));
    m_address->setMinimumWidth(360);
    layout->addWidget(m_address);
    m_refusal = new QLabel(QStringLiteral("网址无效:只能是 http:// 或 https:// 开头的网站地址"), this);
    m_refusal->setObjectName(QStringLiteral("lblSiteRefused"));
    m_refusal->setStyleSheet(QStringLiteral("color: red;"));
    m_refusal->hide();
    layout->addWidget(m_refusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SearchSitesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SearchSitesDialog::reject);
    layout->addWidget(buttons);
    showSites();
}

void SearchSitesDialog::showSites()
{
    QStringList lines;
    for (const QByteArray& root : m_sites.listed()) {
        QString line = QString::fromLatin1(root);
        if (root == m_sites.userAddress())
            line += QStringLiteral("  (自己的网址)");
        else if (root == m_sites.builtIn())
            line += QStringLiteral("  (内置)");
        else
            line += QStringLiteral("  (镜像)");
        if (root == m_sites.answered())
            line += QStringLiteral("  ← 最近应答");
        lines.append(line);
    }
    m_list->setText(lines.join(QLatin1Char('\n')));
}

void SearchSitesDialog::accept()
{
    if (!m_sites.setUserAddress(m_address->text())) {
        m_refusal->show();
        return;
    }
    QDialog::accept();
}
