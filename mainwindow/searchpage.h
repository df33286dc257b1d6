// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QFrame;
class QPushButton;
class QToolButton;

namespace nomix {

// The "Search" page: the search string with its history, the two modifier
// buttons (the string begins or ends a name), the product choice and the
// Search, Help and Exit buttons. It only collects input and shows state;
// the main window runs the search.
class SearchPage : public QWidget {
    Q_OBJECT

  public:
    explicit SearchPage(QWidget* parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString& text);
    bool beginsWithDown() const;
    bool endsWithDown() const;
    // The complete-match option makes both modifier buttons meaningless.
    void setModifiersEnabled(bool enabled);
    void setProductButtonEnabled(bool enabled);

    // The Search button turns into Stop while a background search runs.
    void showStopButton(bool stop);
    void setSearchButtonEnabled(bool enabled);
    void focusSearchBox();
    void focusSearchButton();
    // Everything but the Search/Stop button, while a search runs.
    void setInputEnabled(bool enabled);

    // The search strings used, oldest first, without case-blind duplicates.
    QStringList history() const;
    void setHistory(const QStringList& history);
    void addToHistory(const QString& text);
    // Empties the history and keeps the string being edited.
    void clearHistory();

    // Places the controls for a page control `pageWidth` wide.
    void layOut(int pageWidth);

  signals:
    void searchClicked();
    void productsClicked();
    void helpClicked();
    void exitClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildStringPanel();
    void buildButtons();

    QFrame* m_stringPanel = nullptr;
    QComboBox* m_searchBox = nullptr;
    QToolButton* m_beginsWithButton = nullptr;
    QToolButton* m_endsWithButton = nullptr;
    QPushButton* m_productButton = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_exitButton = nullptr;
};

} // namespace nomix
