#include "TorneviApplication.h"

#include <QTest>

// The application title and the default error report's full-stop rule.
class tst_TorneviApplication : public QObject
{
    Q_OBJECT

private slots:
    void titleFromPath_data();
    void titleFromPath();
    void fullStop_data();
    void fullStop();
    void desktopFileNameIsTheApplicationId();
};

void tst_TorneviApplication::titleFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("shipped name") << "/usr/bin/Tornevi" << "Tornevi";
    QTest::newRow("windows path with extension") << "C:\\Program Files\\Tornevi\\TORNEVI.EXE" << "Tornevi";
    QTest::newRow("several dots keep the part before the first") << "/x/my.app.v2.exe" << "my";
    QTest::newRow("rest lower-cased") << "/x/ReNaMed" << "Renamed";
    QTest::newRow("first letter kept as it is") << "/x/tORNEVI" << "tornevi";
    QTest::newRow("accented letters") << "/x/ÖSSZES.exe" << "Összes";
    QTest::newRow("leading dot leaves nothing") << "/x/.hidden" << "";
    QTest::newRow("single letter") << "/x/T.exe" << "T";
}

void tst_TorneviApplication::titleFromPath()
{
    QFETCH(QString, path);
    QTEST(TorneviApplication::titleFromPath(path), "title");
}

void tst_TorneviApplication::fullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter gets a stop") << "no such table: tbl_Data" << "no such table: tbl_Data.";
    QTest::newRow("full stop stays") << "Kész." << "Kész.";
    QTest::newRow("exclamation stays") << "Hiba !" << "Hiba !";
    QTest::newRow("closing bracket stays") << "hiba (1)" << "hiba (1)";
    QTest::newRow("trailing blank stays") << "hiba " << "hiba ";
    QTest::newRow("digit gets a stop") << "code 5" << "code 5.";
    QTest::newRow("slash gets a stop") << "a/" << "a/.";
    QTest::newRow("comma stays") << "a," << "a,";
    QTest::newRow("accented letter gets a stop") << "hibás" << "hibás.";
    QTest::newRow("empty stays empty") << "" << "";
}

void tst_TorneviApplication::fullStop()
{
    QFETCH(QString, message);
    QTEST(TorneviApplication::withFullStop(message), "shown");
}

void tst_TorneviApplication::desktopFileNameIsTheApplicationId()
{
    // The installed desktop entry, icons and metainfo are named by the same id.
    int argc = 1;
    char name[] = "Tornevi";
    char *argv[] = {name, nullptr};
    TorneviApplication app(argc, argv);
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("hu.pelmosdaruvin.tornevi"));
}

QTEST_APPLESS_MAIN(tst_TorneviApplication)
#include "tst_TorneviApplication.moc"
