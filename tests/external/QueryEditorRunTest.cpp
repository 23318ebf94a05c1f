// The query editor's Run button against the MariaDB test server: buffers in
// the current document (a new one without), axes rescaled, failures as
// alerts that change nothing.

#include "app/Manager.h"
#include "app/QueryEditor.h"

#include "ServerFixtures.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

void fillEditor(QueryEditor& e, const MySQLQuery& q)
{
    e.my_host()->setText(q.host);
    e.my_db()->setText(q.db);
    e.my_port()->setText(QString::number(q.port));
    e.my_user()->setText(q.user);
    e.my_passwd()->setText(q.passwd);
    e.my_sql()->setPlainText(q.sql);
}

TEST(QueryEditorRun, RunFillsTheCurrentDocumentAndRescales)
{
    QString why;
    const auto server = ServerFixtures::mariadb(&why);
    ASSERT_TRUE(server) << why.toStdString();

    Manager m;
    ASSERT_EQ(m.PD, nullptr);
    QueryEditor& e = *m.queryEditor;
    e.loadFromDefaults();
    fillEditor(e, server->query(QStringLiteral("SELECT t, a, b FROM series ORDER BY t")));
    {
        ScriptedAlerts alerts;
        e.my_execute();
        EXPECT_TRUE(alerts.requests().empty());
    }
    VexaDocument* doc = m.PD;
    ASSERT_NE(doc, nullptr) << "a document is made when none is current";
    ASSERT_EQ(doc->DB.size(), 2u);
    EXPECT_EQ(doc->DB[0]->comment, QStringLiteral("a"));
    EXPECT_EQ(doc->DB[1]->comment, QStringLiteral("b"));
    EXPECT_LE(doc->xmin1, 1.0);
    EXPECT_GE(doc->xmax1, 3.0);
    EXPECT_GE(doc->ymax1, 300.0);
    // The stored query took the editor's text, password included.
    EXPECT_EQ(e.MYQ[0].passwd, server->password);

    // A failing query: its alert, and the document and its ranges as they were.
    const double xmax = doc->xmax1;
    fillEditor(e, server->query(QStringLiteral("SELECT n FROM kinds")));
    {
        ScriptedAlerts alerts;
        e.my_execute();
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Vexa/MySQL Error"));
        EXPECT_EQ(alerts.requests()[0].message, QStringLiteral("You can only fetch numbers from MySQL"));
        EXPECT_EQ(alerts.requests()[0].buttons, QStringList{QStringLiteral("Ok")});
    }
    EXPECT_EQ(m.PD, doc);
    EXPECT_EQ(doc->DB.size(), 2u);
    EXPECT_EQ(doc->xmax1, xmax);

    MySQLQuery wrong = server->query(QStringLiteral("SELECT 1"));
    wrong.passwd = QStringLiteral("wrong-xyzzy");
    fillEditor(e, wrong);
    ScriptedAlerts alerts;
    e.my_execute();
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("MySQL Connect Error"));
    EXPECT_FALSE(alerts.requests()[0].message.contains(QStringLiteral("xyzzy")));
    EXPECT_EQ(doc->DB.size(), 2u);
}

} // namespace
