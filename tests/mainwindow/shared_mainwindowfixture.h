// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTemporaryDir>

// A private settings folder and a fresh copy of the sample database for one
// test program, so the main window starts the same way on every machine.
class MainWindowFixture {
  public:
    MainWindowFixture();
    bool isValid() const { return ok_; }
    QString dataDir() const { return data_.path(); }
    QString settingsFile() const;
    // Writes a settings file naming `dataDir` with the update alarm and the
    // sounds off.
    void writeSettings(const QString& dataDir) const;

  private:
    QTemporaryDir config_;
    QTemporaryDir data_;
    bool ok_ = false;
};
