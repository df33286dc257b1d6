// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;
class QTabWidget;

namespace nomix {

class PreferencesPage;
class SearchPage;
class Settings;
class SpeedCounterPanel;

// The panel between the title and the results grid: the Search and
// Preferences pages, the search progress bar under them and the speed and
// counter panel on the right.
class ClientPanel : public QFrame {
    Q_OBJECT

  public:
    ClientPanel(Settings* settings, QWidget* parent = nullptr);

    SearchPage* searchPage() const { return m_searchPage; }
    PreferencesPage* preferencesPage() const { return m_preferencesPage; }
    SpeedCounterPanel* speedPanel() const { return m_speedPanel; }
    QProgressBar* progressBar() const { return m_progressBar; }

    bool searchPageShown() const;
    void showSearchPage();
    void showPreferencesPage();

  signals:
    void pageChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildProgressPanel();

    QTabWidget* m_pages;
    SearchPage* m_searchPage;
    PreferencesPage* m_preferencesPage;
    SpeedCounterPanel* m_speedPanel;
    QLabel* m_progressStartLabel = nullptr;
    QFrame* m_progressPanel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_progressEndLabel = nullptr;
};

} // namespace nomix
