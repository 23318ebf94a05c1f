// The help pages against the program: every example they mark as runnable
// runs headless without an error.
//
// Marking: <pre class="run-macro"> holds a whole macro, run as shown on a
// new document with -h yes -q yes and HOME a scratch folder;
// <pre class="run-expr"> or <code class="run-expr"> holds one expression,
// run as the y expression of "calc" over an 11-point buffer (x from 0 to
// 10), so the point variables exist.

#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString programPath() {
  return QFileInfo(QCoreApplication::applicationDirPath() +
                   QStringLiteral("/../src/app/vexa"))
      .absoluteFilePath();
}

QString docDir() {
  return QStringLiteral(VEXA_FIXTURES "/../../resources/doc");
}

QString htmlText(const QString &html) {
  QString t = html;
  t.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  t.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  t.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return t;
}

QString pageHtml(const QString &page) {
  QFile f(docDir() + QLatin1Char('/') + page);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll())
                                     : QString();
}

QStringList pageNames() {
  return QDir(docDir()).entryList({QStringLiteral("*.html")}, QDir::Files,
                                  QDir::Name);
}

struct Example {
  QString page;
  QString text;
};

// The marked examples of every page, in page order.
std::vector<Example> examplesMarked(const char *kind) {
  std::vector<Example> out;
  const QRegularExpression marked(
      QStringLiteral("<(pre|code) class=\"%1\">(.*?)</\\1>")
          .arg(QLatin1String(kind)),
      QRegularExpression::DotMatchesEverythingOption);
  for (const QString &page : pageNames()) {
    const QString html = pageHtml(page);
    for (auto it = marked.globalMatch(html); it.hasNext();)
      out.push_back({page, htmlText(it.next().captured(2))});
  }
  return out;
}

TestSupport::ChildRun runMacroText(const QString &name, const QString &source) {
  const QString dir =
      TestSupport::scratchDir() + QStringLiteral("/examples/") + name;
  QDir().mkpath(dir);
  // What the examples read from the home folder.
  QFile data(dir + QStringLiteral("/run7.dat"));
  if (data.open(QIODevice::WriteOnly))
    data.write("# time value\n0 1.5\n1 2.5\n2 2\n");
  data.close();
  const QString path = dir + QStringLiteral("/example.mac");
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(source.toUtf8()) < 0)
    return {};
  f.close();
  QProcessEnvironment env;
  env.insert(QStringLiteral("HOME"), dir);
  return TestSupport::runChild(programPath(),
                               {"-m", path, "-h", "yes", "-q", "yes"}, dir,
                               QString(), env);
}

TEST(HelpPages, EveryMarkedMacroRunsWithoutAnError) {
  ASSERT_TRUE(QFileInfo(programPath()).isExecutable())
      << programPath().toStdString();
  const std::vector<Example> macros = examplesMarked("run-macro");
  EXPECT_GE(macros.size(), 3u);
  int n = 0;
  for (const Example &e : macros) {
    SCOPED_TRACE(e.page.toStdString() + ":\n" + e.text.toStdString());
    const TestSupport::ChildRun r =
        runMacroText(QStringLiteral("macro-%1").arg(n++), e.text);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString());
  }
}

TEST(HelpPages, EveryMarkedExpressionRunsWithoutAnError) {
  ASSERT_TRUE(QFileInfo(programPath()).isExecutable())
      << programPath().toStdString();
  const std::vector<Example> expressions = examplesMarked("run-expr");
  EXPECT_GE(expressions.size(), 10u);
  int n = 0;
  for (const Example &e : expressions) {
    SCOPED_TRACE(e.page.toStdString() + ": " + e.text.toStdString());
    ASSERT_FALSE(e.text.contains(QLatin1Char('\''))) << "cannot be quoted";
    const TestSupport::ChildRun r = runMacroText(
        QStringLiteral("expression-%1").arg(n++),
        QStringLiteral("fg 1 0 10 11 'x'\ncalc 2 '%1' 0\nprint 'ok'\n")
            .arg(e.text));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("ok \n"));
  }
}

} // namespace
