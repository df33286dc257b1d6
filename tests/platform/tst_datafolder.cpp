// SPDX-License-Identifier: MIT
// Where the programs look for their data, and which stored common
// directories count as defaults of an installation or build that is gone.

#include "platform/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nomix;

namespace {

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

  private slots:
    // Each case in a folder of its own.
    void init() {
        QVERIFY(m_tmp.isValid());
        const QString name = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('-') +
                             QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        QVERIFY(QDir(m_tmp.path()).mkpath(name));
        m_root = QDir(m_tmp.filePath(name));
    }

    // Installed under any prefix, moved or not: share/nomix95 beside bin/,
    // named without "..", and preferred to a build tree around it.
    void installedFolderBesideTheProgram() {
        QVERIFY(m_root.mkpath("prefix/bin") && m_root.mkpath("prefix/share/nomix95"));
        writeMarker("", m_root.filePath("prefix"));
        const std::string expected = local(m_root.filePath("prefix/share/nomix95"));
        QCOMPARE(programDataFolder(local(m_root.filePath("prefix/bin"))), expected);
        QCOMPARE(programDataFolder(local(m_root.filePath("prefix/bin/"))), expected);
        QCOMPARE(defaultCommonDirectory(local(m_root.filePath("prefix/bin"))),
                 expected + "/sample");
        QCOMPARE(translationsFolder(local(m_root.filePath("prefix/bin"))),
                 expected + "/translations");
    }

    // In a build tree, programs and test programs alike find the resources
    // the marker names; a marker too far up, or naming a folder that is
    // gone, leaves the installed path, which the user then sees named.
    void buildTreeThroughItsMarker() {
        QVERIFY(m_root.mkpath("src/resources") && m_root.mkpath("build/tests/platform"));
        writeMarker("build", m_root.filePath("src/resources"));
        const std::string resources = local(m_root.filePath("src/resources"));
        QCOMPARE(programDataFolder(local(m_root.filePath("build/tools"))), resources);
        QCOMPARE(programDataFolder(local(m_root.filePath("build/tests/platform"))), resources);
        // Translations are built: they lie in the build tree, not in resources/.
        QCOMPARE(translationsFolder(local(m_root.filePath("build/tests/platform"))),
                 local(m_root.filePath("build/translations")));

        QVERIFY(m_root.mkpath("build/a/b/c"));
        QCOMPARE(programDataFolder(local(m_root.filePath("build/a/b/c"))),
                 local(m_root.filePath("build/a/b/share/nomix95")));

        QVERIFY(QDir(m_root.filePath("src/resources")).removeRecursively());
        QCOMPARE(programDataFolder(local(m_root.filePath("build/tools"))),
                 local(m_root.filePath("build/share/nomix95")));
        QCOMPARE(translationsFolder(local(m_root.filePath("build/tools"))),
                 local(m_root.filePath("build/share/nomix95/translations")));
    }

    void theRunningProgram() {
        QCOMPARE(QString::fromStdString(runningProgramDir()),
                 QCoreApplication::applicationDirPath());
    }

    void staleDefaults_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("stale");
        QTest::newRow("installed sample, gone") << "old/usr/share/nomix95/sample" << false << true;
        QTest::newRow("with a final slash") << "old/share/nomix95/sample/" << false << true;
        QTest::newRow("source sample, gone") << "oldsrc/resources/sample" << false << true;
        QTest::newRow("installed sample, there") << "usr/share/nomix95/sample" << true << false;
        QTest::newRow("the user's own folder") << "home/me/viruses" << false << false;
        QTest::newRow("a sample of the user's") << "home/me/sample" << false << false;
        QTest::newRow("a longer name") << "old/share/nomix95/samples" << false << false;
    }
    void staleDefaults() {
        QFETCH(QString, path);
        QFETCH(bool, create);
        QFETCH(bool, stale);
        if (create) {
            QVERIFY(m_root.mkpath(path));
        }
        QCOMPARE(isStaleDefaultDirectory(local(m_root.filePath(path))), stale);
    }

    void rootAndEmptyNeverStale() {
        QVERIFY(!isStaleDefaultDirectory(""));
        QVERIFY(!isStaleDefaultDirectory("/"));
    }

  private:
    void writeMarker(const QString& dir, const QString& resources) {
        QFile marker(m_root.filePath(dir + QLatin1Char('/') + QLatin1String(kBuildTreeMarker)));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write(QFile::encodeName(resources) + '\n');
    }

    QTemporaryDir m_tmp;
    QDir m_root;
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
