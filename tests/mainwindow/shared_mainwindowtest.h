// SPDX-License-Identifier: MIT
#pragma once

#include "shared_mainwindowfixture.h"

#include "mainwindow/mainwindow.h"

#include <QObject>
#include <QString>

#include <memory>

namespace nomix {
class ResultsModel;
class ResultsView;
class SearchController;
class Settings;
} // namespace nomix

// What the main-window tests share: a fixture with the sample database, the
// window started on it, and ways to reach its parts by name and to search as
// a user does.
class MainWindowTest : public QObject {
  protected:
    void startFixture();
    void startWithSampleDatabase();
    void closeWindow();
    void startForm();
    template <typename T> T* find(const char* name) const {
        return form_->findChild<T*>(QLatin1String(name));
    }
    nomix::SearchController* controller() const;
    int hitCount() const;
    nomix::ResultsView* grid() const;
    nomix::ResultsModel* results() const;
    nomix::Settings* settings() const;
    bool databaseLoaded() const;
    QString ledText() const;
    int colWidth(int column) const;
    void search(const QString& text);

    std::unique_ptr<MainWindowFixture> fixture_;
    std::unique_ptr<nomix::MainWindow> form_;
};
