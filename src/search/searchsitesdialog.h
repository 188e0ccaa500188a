#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class SearchSites;

// The search sites as the user sees them: the sites a page is asked of, in order, the one that
// answered last, and an address of the user's own, which is asked first once set. An address that
// is not an http or https site is refused in the dialog, which then stays open.
class SearchSitesDialog final : public QDialog {
    Q_OBJECT
public:
    SearchSitesDialog(SearchSites& sites, QWidget* parent);

    void accept() override;

private:
    void showSites();

    SearchSites& m_sites;
    QLabel* m_list = nullptr;
    QLineEdit* m_address = nullptr;
    QLabel* m_refusal = nullptr;
};
