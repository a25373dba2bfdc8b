// "Export listed entries…" in the result list's context menu: the entries the list shows, and
// only those, go to the CSV file the user names, all seven columns as stored, in the list's
// order. Runs once on SQLite and once on PostgreSQL.

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <memory>

#include "context_menu.h"
#include "modal_driver.h"
#include "window_driver.h"

using test_support::client;

class tst_export_listed : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void listed_entries_go_to_the_named_file();
    void empty_list_says_so();

private:
    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<client> user;
    QTemporaryDir folder;
};

void tst_export_listed::init()
{
    fixture->recreate_table();
    fixture->insert(3, "pump", "Pump, \"flow\" drifts", "01/02/2020", "O'Brien", "LT-1", "Replace it.\r\nThen test.");
    fixture->insert(8, "boot", "Pump stops at boot", "03/04/2021", "Čistač", "", "Hold the key 😀");
    fixture->insert(9, "other", "Firmware update", "05/06/2022", "HT-550", "FW-5", "Copy the file.");
    user = std::make_unique<client>(client::with_search_window);
    user->search_window()->activateWindow();
    QTRY_VERIFY(user->search_window()->isActiveWindow());
}

void tst_export_listed::listed_entries_go_to_the_named_file()
{
    user->search_for(QStringLiteral("Pump"));
    QCOMPARE(user->listed_numbers(), (std::set<int>{3, 8}));

    const QString path = folder.filePath(QStringLiteral("listed.csv"));
    test_support::modal_driver save(QStringLiteral("dlg_export"), [&](QDialog* dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(chooser != nullptr);
        chooser->selectFile(path);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    QVERIFY(test_support::choose_from_context_menu(user->list_view()->viewport(),
                                                   QStringLiteral("Export listed entries…")));
    QTRY_COMPARE(save.opened, 1);

    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "rbr,adresa,pitanje,datum,proizvod,lot,odgovor\r\n"
        "3,pump,\"Pump, \"\"flow\"\" drifts\",01/02/2020,O'Brien,LT-1,\"Replace it.\r\nThen test.\"\r\n"
        "8,boot,Pump stops at boot,03/04/2021,Čistač,,Hold the key 😀\r\n";
    const QByteArray content = written.readAll();
    // The list's order is the database's; both rows, each once.
    QCOMPARE(content.size(), expected.size());
    QVERIFY(content.startsWith("rbr,adresa,pitanje,datum,proizvod,lot,odgovor\r\n"));
    QVERIFY2(content.contains(
                 "3,pump,\"Pump, \"\"flow\"\" drifts\",01/02/2020,O'Brien,LT-1,\"Replace it.\r\nThen test.\"\r\n"),
             content.constData());
    QVERIFY2(content.contains("8,boot,Pump stops at boot,03/04/2021,Čistač,,Hold the key 😀\r\n"), content.constData());
}

void tst_export_listed::empty_list_says_so()
{
    user->search_for(QStringLiteral("nothing matches this"));
    QCOMPARE(user->listed_rows(), 0);
    test_support::message_recorder boxes;
    QVERIFY(test_support::choose_from_context_menu(user->list_view()->viewport(),
                                                   QStringLiteral("Export listed entries…")));
    QTRY_COMPARE(boxes.titles(), QStringList{QStringLiteral("Export listed entries")});
    QCOMPARE(boxes.boxes.front().text, QStringLiteral("The list shows no entries."));
}

TARVO_TEST_MAIN(tst_export_listed)
#include "tst_export_listed.moc"
