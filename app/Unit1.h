#pragma once

#include <QMainWindow>

class PoemQuery;
class PoemStore;
class QLabel;
class QLineEdit;
class QTabWidget;
class SearchPage;
class SqliteConnection;
class StatusBar;
class QDialog;

// The main window: the page control with its three pages and the status bar. It owns the
// poem store; the first time it is shown it has the store prepared, step by step.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 702;
    static constexpr int ClientHeight = 549;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    PoemQuery *query() const { return FDQuery1; }
    SqliteConnection *connection() const { return FDConnection1; }
    PoemStore *store() const { return m_store; }
    QString workingDirectory() const { return v_prdir; }
    QString workingCopyPath() const;

    // The detail window is created after this one; it is handed over once it exists.
    void setDetailWindow(QDialog *form2) { Form2 = form2; }

    void FormShow();
    void DBGrid1DblClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createStore();
    void createPages();
    void createListPage();
    void createStatusBar();
    void centreOnWorkArea();
    void startupFailure(const QString &message);

    PoemStore *m_store = nullptr;
    SqliteConnection *FDConnection1 = nullptr;
    PoemQuery *FDQuery1 = nullptr;
    QWidget *m_client = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    SearchPage *TabSheet2 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QWidget *DBGrid1 = nullptr;
    StatusBar *StatusBar1 = nullptr;
    QDialog *Form2 = nullptr;
    QString v_prdir;
    bool m_shownOnce = false;
};
