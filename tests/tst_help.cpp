#include "BuildFolder.h"
#include "DataTable.h"
#include "Files.h"
#include "Gestures.h"

#include "app/ChmFile.h"
#include "app/HelpContents.h"
#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/ShowHelpTopic.h"
#include "helpreader/HelpReaderProtocol.h"
#include "kit/MessageBox.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <signal.h>

namespace {

using TestKit::writeFile;

const QString OpeningFailure = QStringLiteral("There Was An Error Opening the Help File.");
const QString OpningFailure = QStringLiteral("There Was An Error Opning the Help File.");
const QString DefaultLibrary = QStringLiteral("chm");
const QString MissingLibrary = QStringLiteral("quantaro-no-such-chmlib");
// A library that loads but exports none of chmlib's functions.
const QString LibraryWithoutChmFunctions = QStringLiteral("z");

// The block holding the anchor `name`, or an invalid block.
QTextBlock anchorBlock(const QTextDocument* document, const QString& name)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorNames().contains(name))
                return block;
    return {};
}

QStringList imageNames(const QTextDocument* document)
{
    QStringList names;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                names << it.fragment().charFormat().toImageFormat().name();
    return names;
}

QImage imageResource(QTextDocument* document, const QString& name)
{
    const QVariant data = document->resource(QTextDocument::ImageResource, QUrl(name));
    if (data.userType() == QMetaType::QImage)
        return data.value<QImage>();
    if (data.userType() == QMetaType::QPixmap)
        return data.value<QPixmap>().toImage();
    return QImage::fromData(data.toByteArray());
}

// Damaged help files: copies of the compiled one with bits flipped at random
// places, the same places on every run.
constexpr int DamagedCopies = 300;
constexpr int FlippedBits = 8;
constexpr quint32 FlipSeed = 20261208;
// Readers that hang are given up on after this long in the tests that make them.
constexpr int ShortTimeout = 400;

QByteArray flipped(QByteArray data, QRandomGenerator& random)
{
    for (int i = 0; i < FlippedBits; ++i) {
        const auto at = static_cast<qsizetype>(random.bounded(static_cast<quint32>(data.size())));
        data[at] = static_cast<char>(data.at(at) ^ (1 << random.bounded(8)));
    }
    return data;
}

// A help reader that misbehaves as `script` says; each start adds a line to
// the file `<reader>.starts`.
QString writeReader(const QTemporaryDir& dir, const QByteArray& script)
{
    const QString path = dir.filePath("reader.sh");
    if (!writeFile(path, "#!/bin/sh\necho >>\"$0.starts\"\n" + script))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

int startsOf(const QString& reader)
{
    return int(TestKit::readFile(reader + ".starts").value_or(QByteArray()).count('\n'));
}

std::string message(char kind, quint32 length, const std::string& payload)
{
    std::string bytes(1, kind);
    for (int i = 0; i < 4; ++i)
        bytes += char((length >> (8 * i)) & 0xff);
    return bytes + payload;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private:
    int m_requestTimeout = 0;
    std::unique_ptr<QWidget> m_owner;

    HelpViewer* onlyViewerOf(QWidget* owner) const
    {
        const QList<HelpViewer*> viewers = owner->findChildren<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly);
        return viewers.size() == 1 ? viewers.first() : nullptr;
    }

    // Opens the topic `anchor` for the owner as its help button does; the owner's one viewer, or null.
    HelpViewer* showTopic(const QString& anchor) const
    {
        ShowHelpTopic(m_owner.get(), anchor, OpeningFailure);
        return onlyViewerOf(m_owner.get());
    }

    static QList<HelpViewer*> allViewers()
    {
        QList<HelpViewer*> viewers;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* viewer = qobject_cast<HelpViewer*>(window))
                viewers << viewer;
        return viewers;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY2(QFile::exists(TestKit::builtFile("TSHelp.chm")), "the build compiles TSHelp.chm beside the program");
        m_requestTimeout = ChmFile::requestTimeout();
    }

    void init()
    {
        MessageBox::setIntercepting(true);
        ChmFile::setLibraryName(DefaultLibrary);
        setHelpDirectory(TestKit::buildDir());
        m_owner = std::make_unique<QWidget>();
        m_owner->setWindowTitle("owner");
        m_owner->show();
    }

    void cleanup()
    {
        m_owner.reset();
        qDeleteAll(allViewers());
        ChmFile::setLibraryName(DefaultLibrary);
        ChmFile::setReaderProgram(QString());
        ChmFile::setRequestTimeout(m_requestTimeout);
        setHelpDirectory(QString());
        MessageBox::setIntercepting(false);
    }

    void archiveStatus_data()
    {
        // An empty fileContents stands for the compiled help file.
        const TestKit::DataTable<QString, QString, bool, int> row("library", "fileContents", "fileExists", "status");
        row("compiled help", DefaultLibrary, QString(), true, int(ChmFile::Status::Open));
        row("missing file", DefaultLibrary, QString(), false, int(ChmFile::Status::FileUnreadable));
        row("damaged file", DefaultLibrary, QString("<html>not an archive</html>"), true,
            int(ChmFile::Status::FileUnreadable));
        row("library missing", MissingLibrary, QString(), true, int(ChmFile::Status::LibraryUnavailable));
        row("functions missing", LibraryWithoutChmFunctions, QString(), true, int(ChmFile::Status::LibraryUnavailable));
    }

    void archiveStatus()
    {
        QFETCH(QString, library);
        QFETCH(QString, fileContents);
        QFETCH(bool, fileExists);
        QFETCH(int, status);

        QTemporaryDir dir;
        QString fileName = dir.filePath("TSHelp.chm");
        if (!fileContents.isEmpty())
            QVERIFY(writeFile(fileName, fileContents.toUtf8()));
        else if (fileExists)
            fileName = TestKit::builtFile("TSHelp.chm");
        ChmFile::setLibraryName(library);
        const ChmFile archive(fileName);
        QCOMPARE(int(archive.status()), status);
        QCOMPARE(archive.isOpen(), status == int(ChmFile::Status::Open));
        QCOMPARE(archive.fileName(), fileName);
        if (!archive.isOpen())
            QVERIFY(!archive.read("/TSHelp.htm"));
    }

    void readsObjects_data()
    {
        // The source is the file in the source tree, empty when the archive lacks it.
        const TestKit::DataTable<QString, QString> row("path", "source");
        const QString sources = QStringLiteral(QUANTARO_SOURCE_DIR);
        row("page", "/TSHelp.htm", sources + "/help/TSHelp.htm");
        row("style sheet", "/TSHelp.css", sources + "/help/TSHelp.css");
        row("picture", "/swap.png", sources + "/src/app/images/swap.png");
        row("missing page", "/Nothing.htm", QString());
    }

    void readsObjects()
    {
        QFETCH(QString, path);
        QFETCH(QString, source);

        const ChmFile archive(TestKit::builtFile("TSHelp.chm"));
        QVERIFY(archive.isOpen());
        const std::optional<QByteArray> data = archive.read(path);
        QCOMPARE(data.has_value(), !source.isEmpty());
        if (!data)
            return;
        QCOMPARE(data, TestKit::readFile(source));
    }

    void opensTopicScrolledToAnchor_data()
    {
        const TestKit::DataTable<QString, QString, QString> row("anchor", "topic", "heading");
        row("contents", "\\TSHelp.htm#a", "a", "Contents");
        row("converter", "\\TSHelp.htm#b", "b", "The converter window");
        row("options", "\\TSHelp.htm#e", "e", "The options window");
        row("new values", "\\TSHelp.htm#f", "f", "The New Values window");
    }

    void opensTopicScrolledToAnchor()
    {
        QFETCH(QString, anchor);
        QFETCH(QString, topic);
        QFETCH(QString, heading);

        HelpViewer* viewer = showTopic(anchor);
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QVERIFY(viewer);
        QVERIFY(viewer->isWindow());
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->parentWidget(), m_owner.get());
        QCOMPARE(viewer->objectName(), QString("HelpViewer"));
        QCOMPARE(viewer->windowTitle(), QString("Quantaro Help"));
        QVERIFY(!viewer->showsNotFoundPage());
        QCOMPARE(viewer->page()->source().fragment(), topic);

        const QTextBlock block = anchorBlock(viewer->page()->document(), topic);
        QVERIFY(block.isValid());
        QCOMPARE(block.text().trimmed(), heading);
        const int top = qRound(viewer->page()->document()->documentLayout()->blockBoundingRect(block).top());
        const QScrollBar* bar = viewer->page()->verticalScrollBar();
        QVERIFY(qAbs(bar->value() - qMin(top, bar->maximum())) <= 2);
        if (topic != "a")
            QVERIFY(bar->value() > 0);
    }

    void loadsPicturesAndStyle()
    {
        HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
        QVERIFY(viewer);

        const QStringList names = imageNames(viewer->page()->document());
        for (const char* picture : {"quantaro.png", "swap.png", "help.png"})
            QVERIFY2(names.contains(picture), picture);
        for (const QString& name : names)
            QVERIFY2(!imageResource(viewer->page()->document(), name).isNull(), qPrintable(name));

        // Headings are coloured only by the style sheet, which comes from the archive too.
        const QTextBlock heading = anchorBlock(viewer->page()->document(), "b");
        QCOMPARE(heading.begin().fragment().charFormat().foreground().style(), Qt::SolidPattern);
    }

    void followsLinksInsideTheArchive()
    {
        HelpViewer* viewer = showTopic("\\TSHelp.htm#a");
        QVERIFY(viewer);

        viewer->page()->setSource(QUrl("TSHelp.htm#f"));
        QVERIFY(!viewer->showsNotFoundPage());
        QCOMPARE(viewer->page()->source().fragment(), QString("f"));
        QVERIFY(viewer->page()->verticalScrollBar()->value() > 0);

        viewer->page()->setSource(QUrl("Nothing.htm"));
        QVERIFY(viewer->showsNotFoundPage());
        viewer->page()->backward();
        QVERIFY(anchorBlock(viewer->page()->document(), "f").isValid());
    }

    void failureToInvokeShowsMessage_data()
    {
        // An empty reader stands for the one beside the executable.
        const TestKit::DataTable<QString, QString, QString, QString> row("library", "reader", "failureMessage",
                                                                         "detail");
        const QString noReader = QStringLiteral("/nonexistent/quantaro-helpreader");
        row("library missing", MissingLibrary, QString(), OpeningFailure, "libchm.so.1");
        row("functions missing", LibraryWithoutChmFunctions, QString(), OpeningFailure, "libchm.so.1");
        row("options window text", MissingLibrary, QString(), OpningFailure, "libchm.so.1");
        row("reader missing", DefaultLibrary, noReader, OpeningFailure, noReader);
    }

    void failureToInvokeShowsMessage()
    {
        QFETCH(QString, library);
        QFETCH(QString, reader);
        QFETCH(QString, failureMessage);
        QFETCH(QString, detail);

        ChmFile::setLibraryName(library);
        ChmFile::setReaderProgram(reader);
        ShowHelpTopic(m_owner.get(), "\\TSHelp.htm#b", failureMessage);

        const QList<MessageBox::Record> records = MessageBox::takeRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().text, failureMessage);
        QVERIFY2(records.first().detail.contains(detail), qPrintable(records.first().detail));
        QCOMPARE(records.first().style, MsgStyle::Critical);
        QCOMPARE(records.first().title, QString("Quantaro - Veltrin Tech"));
        QVERIFY(allViewers().isEmpty());
    }

    void missingHelpShowsNotFoundPage_data()
    {
        // An empty fileContents stands for the compiled help file.
        const TestKit::DataTable<QString, bool, QString> row("fileContents", "fileExists", "anchor");
        row("missing file", QString(), false, "\\TSHelp.htm#b");
        row("damaged file", QString("MZ damaged"), true, "\\TSHelp.htm#b");
        row("missing anchor", QString(), true, "\\TSHelp.htm#zz");
        row("missing page", QString(), true, "\\Nothing.htm#b");
    }

    void missingHelpShowsNotFoundPage()
    {
        QFETCH(QString, fileContents);
        QFETCH(bool, fileExists);
        QFETCH(QString, anchor);

        QTemporaryDir dir;
        if (!fileContents.isEmpty())
            QVERIFY(writeFile(dir.filePath("TSHelp.chm"), fileContents.toUtf8()));
        if (!fileContents.isEmpty() || !fileExists)
            setHelpDirectory(dir.path());

        HelpViewer* viewer = showTopic(anchor);
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->showsNotFoundPage());
        QVERIFY(!anchorBlock(viewer->page()->document(), "b").isValid());
        QVERIFY(!viewer->page()->toPlainText().trimmed().isEmpty());
    }

    void reusesTheViewerOfEachOwner()
    {
        QPointer<HelpViewer> first = showTopic("\\TSHelp.htm#b");
        QVERIFY(first);

        QCOMPARE(showTopic("\\TSHelp.htm#e"), first.data());
        QCOMPARE(first->page()->source().fragment(), QString("e"));

        // A page that could not be found does not stick to a reused viewer.
        ShowHelpTopic(m_owner.get(), "\\TSHelp.htm#zz", OpeningFailure);
        QVERIFY(first->showsNotFoundPage());
        ShowHelpTopic(m_owner.get(), "\\TSHelp.htm#f", OpeningFailure);
        QVERIFY(!first->showsNotFoundPage());
        QVERIFY(anchorBlock(first->page()->document(), "f").isValid());

        QWidget otherOwner;
        otherOwner.show();
        ShowHelpTopic(&otherOwner, "\\TSHelp.htm#f", OpeningFailure);
        QVERIFY(onlyViewerOf(&otherOwner));
        QVERIFY(onlyViewerOf(&otherOwner) != first.data());

        // A closed viewer is gone; the next request opens a new one.
        first->close();
        QTRY_VERIFY(!first);
        QVERIFY(showTopic("\\TSHelp.htm#a"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // Without a directory set, the help file is the one beside the executable,
    // where the build puts it for this test program as for Quantaro.
    void looksBesideTheExecutable()
    {
        setHelpDirectory(QString());
        QCOMPARE(helpDirectory(), QCoreApplication::applicationDirPath());
        QCOMPARE(ChmFile::readerProgram(), QCoreApplication::applicationDirPath() + "/quantaro-helpreader");

        HelpViewer* viewer = showTopic("\\TSHelp.htm#e");
        QVERIFY(viewer);
        QVERIFY(!viewer->showsNotFoundPage());
        QVERIFY(anchorBlock(viewer->page()->document(), "e").isValid());
    }

    void viewerWithoutOwner()
    {
        ShowHelpTopic(nullptr, "\\TSHelp.htm#a", OpeningFailure);
        ShowHelpTopic(nullptr, "\\TSHelp.htm#f", OpeningFailure);
        QList<HelpViewer*> viewers = allViewers();
        QCOMPARE(viewers.size(), 1);
        QVERIFY(!viewers.first()->parent());
        QCOMPARE(viewers.first()->page()->source().fragment(), QString("f"));
    }

    void buttonPicturesAreBuiltIn_data()
    {
        const TestKit::DataTable<QString, QString> row("resource", "source");
        const QString images = QStringLiteral(QUANTARO_SOURCE_DIR "/src/app/images");
        row("help", ":/images/help.png", images + "/help.png");
        row("swap", ":/images/swap.png", images + "/swap.png");
    }

    // The windows' buttons show these pictures from the program's resources.
    void buttonPicturesAreBuiltIn()
    {
        QFETCH(QString, resource);
        QFETCH(QString, source);

        const QImage picture(resource);
        QVERIFY(!picture.isNull());
        QCOMPARE(picture, QImage(source));
    }

    void contentsFileIsRead()
    {
        const QByteArray sitemap = "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Top\">"
                                   "<param name=\"Local\" value=\"a.htm#a\"></object>"
                                   "<ul><li><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
                                   "<param name=\"Local\" value=\"a.htm#b\"></OBJECT></ul>"
                                   "<li><object type=\"text/site properties\"><param name=\"Name\" value=\"x\">"
                                   "</object><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Next\">"
                                   "<param name=\"Local\" value=\"a.htm#c\"></object></ul>";
        const QList<HelpContents::Entry> entries = HelpContents::parse(sitemap);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].name, QString("Top"));
        QCOMPARE(entries[0].depth, 0);
        QCOMPARE(entries[1].name, QString("A & B"));
        QCOMPARE(entries[1].location, QString("a.htm#b"));
        QCOMPARE(entries[1].depth, 1);
        QCOMPARE(entries[2].name, QString("Next"));
        QCOMPARE(entries[2].depth, 0);
    }

    // The viewer is a window of its own: the help file's contents beside the
    // page, Back, Forward, Contents and Close, and the focus on the page.
    void viewerWindowNavigates()
    {
        HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
        QVERIFY(viewer);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer->page()));

        QTreeWidget* contents = viewer->contents();
        QVERIFY(contents->isVisible());
        QStringList names;
        for (QTreeWidgetItemIterator it(contents); *it; ++it)
            names << (*it)->text(0);
        QVERIFY2(names.contains("The converter window") && names.contains("The options window") &&
                     names.contains("The New Values window") && names.first() == "Contents",
                 qPrintable(names.join(", ")));
        QCOMPARE(contents->currentItem()->text(0), QString("The converter window"));

        auto* back = TestKit::control<QAction>(viewer, "actBack");
        auto* forward = TestKit::control<QAction>(viewer, "actForward");
        auto* showContents = TestKit::control<QAction>(viewer, "actContents");
        auto* close = TestKit::control<QAction>(viewer, "actClose");
        QVERIFY(!back->isEnabled());

        QTreeWidgetItem* options =
            contents->findItems("The options window", Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(options);
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualItemRect(options).center());
        QCOMPARE(viewer->page()->source().fragment(), QString("e"));
        QVERIFY(back->isEnabled());
        back->trigger();
        QCOMPARE(viewer->page()->source().fragment(), QString("b"));
        QVERIFY(forward->isEnabled());
        forward->trigger();
        QCOMPARE(viewer->page()->source().fragment(), QString("e"));

        showContents->trigger();
        QVERIFY(!contents->isVisible());
        showContents->trigger();
        QVERIFY(contents->isVisible());

        QPointer<HelpViewer> gone = viewer;
        close->trigger();
        QTRY_VERIFY(!gone);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void externalLinksOpenNothing()
    {
        HelpViewer* viewer = showTopic("\\TSHelp.htm#a");
        QVERIFY(viewer);
        const QUrl before = viewer->page()->source();
        emit viewer->page()->anchorClicked(QUrl("https://www.veltrin-tech.example/"));
        QCOMPARE(viewer->page()->source(), before);
        QVERIFY(viewer->statusBar()->currentMessage().contains("www.veltrin-tech.example"));

        // A link inside the help is followed.
        emit viewer->page()->anchorClicked(QUrl("#f"));
        QCOMPARE(viewer->page()->source().fragment(), QString("f"));
    }

    // Screen readers get a document whose text is the page's words, without the text engine's markers.
    void pageIsAnAccessibleDocument()
    {
        HelpViewer* viewer = showTopic("\\TSHelp.htm#a");
        QVERIFY(viewer);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(viewer->page());
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Document);
        QVERIFY(iface->state().readOnly);
        QVERIFY(iface->text(QAccessible::Name).startsWith("Help page"));
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), viewer->page()->document()->characterCount() - 1);
        const QString all = text->text(0, text->characterCount());
        QVERIFY(viewer->page()->document()->toRawText().contains(QChar(0xfdd0))); // tables are there
        for (const QChar marker : {QChar(0xfdd0), QChar(0xfdd1), QChar(0xfffc), QChar(0x2029)})
            QVERIFY2(!all.contains(marker), qPrintable(QString::number(marker.unicode(), 16)));
        QVERIFY(all.contains("The converter window"));
        int start = -1;
        int end = -1;
        const int at = all.indexOf("Contents");
        QCOMPARE(text->textAtOffset(at + 2, QAccessible::WordBoundary, &start, &end), QString("Contents"));
        QCOMPARE(start, at);
    }

    // Every damaged copy shows its topic or the not-found page, and the
    // program goes on to the next: the reader, not the program, meets chmlib's faults.
    void damagedHelpFileShowsContentOrNotFoundPage()
    {
        const std::optional<QByteArray> help = TestKit::readFile(TestKit::builtFile("TSHelp.chm"));
        QVERIFY(help);
        QTemporaryDir dir;
        setHelpDirectory(dir.path());
        QRandomGenerator random(FlipSeed);
        int shown = 0;
        for (int copy = 0; copy < DamagedCopies; ++copy) {
            QVERIFY(writeFile(dir.filePath("TSHelp.chm"), flipped(*help, random)));
            HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
            const QByteArray where = "copy " + QByteArray::number(copy);
            QVERIFY2(MessageBox::takeRecords().isEmpty(), where);
            QVERIFY2(viewer, where);
            const bool hasTopic = anchorBlock(viewer->page()->document(), "b").isValid();
            QVERIFY2(hasTopic != viewer->showsNotFoundPage(), where);
            shown += hasTopic ? 1 : 0;
            for (QTreeWidgetItemIterator it(viewer->contents()); *it; ++it) {
                emit viewer->contents()->itemActivated(*it, 0);
                const QString topic = viewer->page()->source().fragment();
                QVERIFY2(anchorBlock(viewer->page()->document(), topic).isValid() != viewer->showsNotFoundPage(),
                         where + " at " + topic.toUtf8());
            }
        }
        qInfo("%d of %d damaged copies showed the topic, the others the not-found page", shown, DamagedCopies);
    }

    void misbehavingReaderShowsNotFoundPage_data()
    {
        const TestKit::DataTable<QByteArray> row("script");
        const QByteArray opens = "printf '\\000\\000\\000\\000\\000'\n";
        row("dies on opening", "kill -SEGV $$\n");
        row("hangs on opening", "exec sleep 30\n");
        row("answers nonsense", "printf 'HTTP/1.0 200 OK\\r\\n'\nexec cat >/dev/null\n");
        row("announces a reply too long", "printf '\\000\\377\\377\\377\\177'\nexec cat >/dev/null\n");
        row("answers twice", "printf '\\000\\000\\000\\000\\000\\000\\000\\000\\000\\000'\nexec cat >/dev/null\n");
        row("opens, then dies", opens + "sleep 0.2\nkill -SEGV $$\n");
        row("opens, then hangs", opens + "exec sleep 30\n");
        row("opens, then exits", opens);
    }

    // A reader that dies, hangs or answers nonsense costs the page, never the
    // program, and is not started again and again for the same archive.
    void misbehavingReaderShowsNotFoundPage()
    {
        QFETCH(QByteArray, script);

        QTemporaryDir dir;
        const QString reader = writeReader(dir, script);
        QVERIFY(!reader.isEmpty());
        ChmFile::setReaderProgram(reader);
        ChmFile::setRequestTimeout(ShortTimeout);

        HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QVERIFY(viewer);
        QVERIFY(viewer->showsNotFoundPage());
        QVERIFY(viewer->page()->toPlainText().contains("Help topic not found"));
        QCOMPARE(viewer->contents()->topLevelItemCount(), 0);
        viewer->page()->reload();
        QVERIFY(viewer->showsNotFoundPage());
        QVERIFY2(startsOf(reader) >= 1 && startsOf(reader) <= 3, qPrintable(QString::number(startsOf(reader))));
    }

    void pageOfNestedTables_data()
    {
        const TestKit::DataTable<int, bool> row("depth", "shown");
        row("one table", 1, true);
        row("tables three deep", 3, true);
        row("tables forty deep", 40, false);
    }

    // Qt's layout time doubles with each table inside a table: a damaged page
    // nesting them deep shows the not-found page instead of freezing the viewer.
    void pageOfNestedTables()
    {
        QFETCH(int, depth);
        QFETCH(bool, shown);

        QByteArray page = "<html><body><h1><a name=\"b\"></a>Topic</h1>";
        for (int i = 0; i < depth; ++i)
            page += "<table><tr><td>cell";
        page += "</body></html>";
        // This reader answers every request with the page.
        QTemporaryDir dir;
        const QString reader = writeReader(dir, "while header=$(head -c 5 | od -An -tu1) && [ -n \"$header\" ]; do\n"
                                                "    set -- $header\n"
                                                "    head -c $(($2 + $3 * 256)) >/dev/null\n"
                                                "    cat \"$0.reply\"\n"
                                                "done\n");
        QVERIFY(!reader.isEmpty());
        QVERIFY(writeFile(reader + ".reply",
                          QByteArray::fromStdString(message(0, quint32(page.size()), page.toStdString()))));
        ChmFile::setReaderProgram(reader);

        HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
        QVERIFY(viewer);
        QCOMPARE(viewer->showsNotFoundPage(), !shown);
        QCOMPARE(anchorBlock(viewer->page()->document(), "b").isValid(), shown);
        if (!shown)
            QVERIFY(viewer->page()->toPlainText().contains("The help page /TSHelp.htm is damaged."));
    }

    void readerIsStartedAgainAfterItFails_data()
    {
        const TestKit::DataTable<int> row("signal");
        row("killed", SIGKILL);
        row("stopped, so it hangs", SIGSTOP);
    }

    // The request the failed reader had fails; the next starts a new reader and reads the page.
    void readerIsStartedAgainAfterItFails()
    {
        QFETCH(int, signal);

        ChmFile::setRequestTimeout(ShortTimeout);
        HelpViewer* viewer = showTopic("\\TSHelp.htm#b");
        QVERIFY(viewer);
        QVERIFY(!viewer->showsNotFoundPage());
        const ChmFile* archive = viewer->page()->archive();
        const qint64 first = archive->readerProcessId();
        QVERIFY(first > 0);

        QCOMPARE(::kill(pid_t(first), signal), 0);
        viewer->page()->reload();
        QVERIFY(viewer->showsNotFoundPage());
        QCOMPARE(archive->readerProcessId(), 0);

        viewer->page()->reload();
        QVERIFY(!viewer->showsNotFoundPage());
        QVERIFY(anchorBlock(viewer->page()->document(), "b").isValid());
        QVERIFY(archive->readerProcessId() > 0);
        QVERIFY(archive->readerProcessId() != first);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void readerMessagesAreChecked_data()
    {
        const TestKit::DataTable<bool, QByteArray, int, int> row("request", "bytes", "state", "payloadSize");
        using namespace HelpReaderProtocol;
        const auto bytes = [](const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); };
        const int complete = int(State::Complete);
        const int incomplete = int(State::Incomplete);
        const int malformed = int(State::Malformed);
        row("open", true, bytes(message('O', 4, "a.ch")), complete, 4);
        row("read, more behind", true, bytes(message('R', 2, "/a") + "R"), complete, 2);
        row("read, cut short", true, bytes(message('R', 3, "/a")), incomplete, 0);
        row("header cut short", true, bytes(message('R', 3, "").substr(0, 3)), incomplete, 0);
        row("nothing", true, QByteArray(), incomplete, 0);
        row("unknown request", true, bytes(message('X', 0, "")), malformed, 0);
        row("unknown request, first byte", true, QByteArray("X"), malformed, 0);
        row("path too long", true, bytes(message('R', MaxRequestPayload + 1, "")), malformed, 0);
        row("longest path", true, bytes(message('R', MaxRequestPayload, std::string(MaxRequestPayload, 'a'))), complete,
            int(MaxRequestPayload));
        row("page read", false, bytes(message(0, 3, "abc")), complete, 3);
        row("not found", false, bytes(message(1, 0, "")), complete, 0);
        row("not found with a payload", false, bytes(message(1, 1, "x")), malformed, 0);
        row("unknown reply", false, bytes(message(9, 0, "")), malformed, 0);
        row("reply too long", false, bytes(message(0, MaxReplyPayload + 1, "")), malformed, 0);
        row("longest reply, cut short", false, bytes(message(0, MaxReplyPayload, "ab")), incomplete, 0);
    }

    // Messages either way are taken whole, awaited while cut short, and refused
    // from their header on when they break the rules, so a broken peer is never waited for.
    void readerMessagesAreChecked()
    {
        QFETCH(bool, request);
        QFETCH(QByteArray, bytes);
        QFETCH(int, state);
        QFETCH(int, payloadSize);

        using namespace HelpReaderProtocol;
        const std::string_view view(bytes.constData(), size_t(bytes.size()));
        const Parsed parsed = request ? parseRequest(view) : parseReply(view);
        QCOMPARE(int(parsed.state), state);
        if (parsed.state != State::Complete)
            return;
        QCOMPARE(int(parsed.payloadSize), payloadSize);
        QCOMPARE(parsed.consumed, HeaderSize + size_t(payloadSize));
        QCOMPARE(encode(parsed.kind, view.substr(HeaderSize, parsed.payloadSize)),
                 std::string(view.substr(0, parsed.consumed)));
    }

    void realMessageBoxIsShownAndClosed()
    {
        MessageBox::setIntercepting(false);
        ChmFile::setLibraryName(MissingLibrary);
        QString shownText;
        QString shownDetail;
        QString shownTitle;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownText = box->text();
            shownDetail = box->informativeText();
            shownTitle = box->windowTitle();
            shownIcon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });

        ShowHelpTopic(m_owner.get(), "\\TSHelp.htm#a", OpeningFailure);

        QCOMPARE(shownText, OpeningFailure);
        // The second line names what is missing and the package that brings it.
        QVERIFY2(shownDetail.contains("libchm.so.1") && shownDetail.contains("apt-get install libchm1"),
                 qPrintable(shownDetail));
        QCOMPARE(shownTitle, QString("Quantaro - Veltrin Tech"));
        QCOMPARE(shownIcon, QMessageBox::Critical);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(allViewers().isEmpty());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
