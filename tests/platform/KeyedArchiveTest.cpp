#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

// The fuzzer's classes: every value kind, nested objects, arrays of objects.
#include "../../fuzz/ArchiveFuzzing.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using ArchiveFuzzing::FuzzLeaf;
using ArchiveFuzzing::FuzzNode;

namespace {

QImage sampleImage()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 255));
    image.setPixelColor(1, 0, QColor(200, 100, 50, 128));
    image.setPixelColor(2, 1, QColor(0, 0, 0, 0));
    return image;
}

// A node holding every kind of value, with the awkward cases: extreme
// numbers, text XML cannot hold as is, keys that look like the archive's own.
std::shared_ptr<FuzzNode> fullNode(const std::shared_ptr<FuzzLeaf>& leaf)
{
    auto node = std::make_shared<FuzzNode>();
    node->i = std::numeric_limits<int>::min();
    node->l = std::numeric_limits<qint64>::max();
    node->b = true;
    node->d = -0.0;
    node->s = QStringLiteral("tab\t cr\r lf\n <&> ]]> $null ") + QChar(0x1) + QChar(0xD800)
        + QStringLiteral(" \U0001F600");
    node->data = QByteArray("\0\1\2\xff", 4);
    node->list = {QVariant(),
                  true,
                  42,
                  qlonglong(1) << 40,
                  1.5,
                  std::nan(""),
                  QStringLiteral("$null"),
                  QByteArray("b"),
                  QVariantList{1, QStringLiteral("x")},
                  QVariantMap{{QStringLiteral("k"), 2}}};
    node->map = {{QStringLiteral("a"), 1},
                 {QStringLiteral("$class"), QStringLiteral("two")},
                 {QStringLiteral("c") + QChar(0x2), QVariantList{}}};
    node->nums
        = {1,        -2.5, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
           4.9e-324, 0.1};
    node->color = Color::rgb(0.25, 0.5, 0.75, 0.4);
    node->font = Font::withName(QStringLiteral("DejaVu Sans"), 13.5);
    node->image = sampleImage();
    node->child = leaf;
    auto inner = std::make_shared<FuzzNode>();
    inner->s = QStringLiteral("inner");
    node->kids = {inner, leaf, nullptr};
    return node;
}

// --- hand-made archives ---------------------------------------------------------

QString ref(qint64 n)
{
    return QStringLiteral("<dict><key>CF$UID</key><integer>%1</integer></dict>").arg(n);
}

QString classEntry(const QString& name)
{
    return QStringLiteral("<dict><key>$classname</key><string>%1</string></dict>").arg(name);
}

// $objects gets "$null" first, then the given entries (so the first given
// entry has index 1).
QByteArray handArchive(const QString& top, const QStringList& objects, const QString& version = "100000")
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                 "<key>$archiver</key><string>Test</string>"
                                 "<key>$version</key><integer>%1</integer>"
                                 "<key>$top</key><dict>%2</dict>"
                                 "<key>$objects</key><array><string>$null</string>")
                      .arg(version, top);
    for (const QString& o : objects)
        xml += o;
    xml += QStringLiteral("</array></dict></plist>");
    return xml.toUtf8();
}

QByteArray validArchive()
{
    auto node = fullNode(std::make_shared<FuzzLeaf>());
    KeyedArchiver a;
    node->encodeWithCoder(a);
    a.encodeObject(QStringLiteral("root"), node.get());
    return a.encodedData();
}

} // namespace

// --- writing and reading back ------------------------------------------------------

TEST(KeyedArchive, EveryValueKindRoundTrips)
{
    auto leaf = std::make_shared<FuzzLeaf>();
    leaf->tag = -3;
    leaf->text = QStringLiteral("leaf");
    auto node = fullNode(leaf);

    KeyedArchiver a;
    node->encodeWithCoder(a); // keys at the top level, as a document has them
    a.encodeObject(QStringLiteral("root"), node.get()); // and the same node as an object
    a.encodeInt(QStringLiteral("$class"), 9); // a key that looks like the archive's own
    ASSERT_TRUE(a.ok()) << a.errorString().toStdString();
    const QByteArray bytes = a.encodedData();

    KeyedUnarchiver u(bytes);
    ArchiveFuzzing::registerClasses(u);
    FuzzNode top;
    top.decodeFields(u);
    auto root = u.decodeObject<FuzzNode>(QStringLiteral("root"));
    EXPECT_EQ(u.decodeInt(QStringLiteral("$class")), 9);
    EXPECT_TRUE(u.allKeys().contains(QStringLiteral("$class")));
    ASSERT_TRUE(u.ok()) << u.errorString().toStdString();
    ASSERT_TRUE(root);

    // Null elements of an object array are left out when read back.
    FuzzNode expected = *node;
    expected.kids.pop_back();
    ArchiveFuzzing::Comparer cmp;
    EXPECT_TRUE(cmp.sameNode(expected, top));
    EXPECT_TRUE(cmp.same(&expected, root.get()));
    EXPECT_TRUE(std::signbit(top.d));
    EXPECT_EQ(top.s, node->s);
}

TEST(KeyedArchive, SharedObjectsAndStringsAreStoredOnceAndDecodeToOne)
{
    auto leaf = std::make_shared<FuzzLeaf>();
    leaf->text = QStringLiteral("only-once");
    leaf->tag = 4242;
    FuzzNode node;
    node.child = leaf;
    node.kids = {leaf, leaf};
    node.s = QStringLiteral("only-once");

    KeyedArchiver a;
    a.encodeObject(QStringLiteral("root"), node);
    a.encodeObject(QStringLiteral("again"), leaf.get());
    const QByteArray bytes = a.encodedData();
    EXPECT_EQ(bytes.count("<string>only-once</string>"), 1);
    EXPECT_EQ(bytes.count("<integer>4242</integer>"), 1); // one record of the leaf

    KeyedUnarchiver u(bytes);
    ArchiveFuzzing::registerClasses(u);
    auto root = u.decodeObject<FuzzNode>(QStringLiteral("root"));
    auto again = u.decodeObject<FuzzLeaf>(QStringLiteral("again"));
    ASSERT_TRUE(u.ok());
    ASSERT_TRUE(root && again);
    ASSERT_EQ(root->kids.size(), 2u);
    EXPECT_EQ(root->child.get(), again.get());
    EXPECT_EQ(root->kids[0].get(), again.get());
    EXPECT_EQ(root->kids[1].get(), again.get());
}

TEST(KeyedArchive, ObjectThatContainsItselfIsReportedByTheWriter)
{
    auto node = std::make_shared<FuzzNode>();
    node->kids = {node};
    KeyedArchiver a;
    a.encodeObject(QStringLiteral("root"), node.get());
    EXPECT_FALSE(a.ok());
    node->kids.clear(); // break the cycle for the shared_ptr

    KeyedUnarchiver u(a.encodedData());
    ArchiveFuzzing::registerClasses(u);
    auto back = u.decodeObject<FuzzNode>(QStringLiteral("root"));
    ASSERT_TRUE(u.ok());
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->kids.empty());
}

// --- missing keys and wrong types ------------------------------------------------------

TEST(KeyedArchive, MissingKeysAndWrongTypesGiveDefaults)
{
    auto leaf = std::make_shared<FuzzLeaf>();
    auto node = std::make_shared<FuzzNode>();
    KeyedArchiver a;
    a.encodeInt(QStringLiteral("int"), 5);
    a.encodeInt64(QStringLiteral("big"), qint64(1) << 40);
    a.encodeDouble(QStringLiteral("real"), 2.5);
    a.encodeBool(QStringLiteral("flag"), true);
    a.encodeString(QStringLiteral("text"), QStringLiteral("hello"));
    a.encodeBytes(QStringLiteral("bytes"), QByteArray("xyz"));
    a.encodeObject(QStringLiteral("leaf"), leaf.get());
    a.encodeObject(QStringLiteral("nullobj"), nullptr);
    a.encodeArrayOfObjects(QStringLiteral("mixed"),
                           std::vector<std::shared_ptr<ArchivableObject>>{node, leaf});
    a.encodeArray(QStringLiteral("list"), {1, QStringLiteral("a")});
    a.encodeDoubleArray(QStringLiteral("nums"), {1, 2});
    a.encodeColor(QStringLiteral("color"), Qt::red);

    KeyedUnarchiver u(a.encodedData());
    ArchiveFuzzing::registerClasses(u);
    const QString k[] = {QStringLiteral("int"),  QStringLiteral("big"),   QStringLiteral("real"),
                         QStringLiteral("flag"), QStringLiteral("text"),  QStringLiteral("bytes"),
                         QStringLiteral("leaf"), QStringLiteral("mixed"), QStringLiteral("list"),
                         QStringLiteral("nums"), QStringLiteral("color"), QStringLiteral("missing")};
    // Which keys each reader accepts; every other key must give the default.
    struct Reader {
        const char* name;
        std::function<bool(KeyedUnarchiver&, const QString&)> readsDefault;
        QStringList accepts;
    };
    const std::vector<Reader> readers = {
        {"int", [](auto& c, auto& key) { return c.decodeInt(key, -7) == -7; }, {"int"}},
        {"int64", [](auto& c, auto& key) { return c.decodeInt64(key, -7) == -7; }, {"int", "big"}},
        {"double", [](auto& c, auto& key) { return c.decodeDouble(key, -7) == -7; }, {"int", "big", "real"}},
        {"bool",
         [](auto& c, auto& key) { return !c.decodeBool(key, false) && c.decodeBool(key, true); },
         {"flag"}},
        {"string", [](auto& c, auto& key) { return c.decodeString(key, "d") == "d"; }, {"text"}},
        {"bytes", [](auto& c, auto& key) { return c.decodeBytes(key, "d") == "d"; }, {"bytes"}},
        {"object",
         [](auto& c, auto& key) { return !c.template decodeObject<ArchivableObject>(key); },
         {"leaf"}},
        {"node", [](auto& c, auto& key) { return !c.template decodeObject<FuzzNode>(key); }, {}},
        {"objects",
         [](auto& c, auto& key) { return c.template decodeArrayOfObjects<ArchivableObject>(key).empty(); },
         {"mixed"}},
        {"leaves",
         [](auto& c, auto& key) { return c.template decodeArrayOfObjects<FuzzLeaf>(key).empty(); },
         {}},
        {"array", [](auto& c, auto& key) { return c.decodeArray(key).isEmpty(); }, {"list", "nums"}},
        {"doubles", [](auto& c, auto& key) { return c.decodeDoubleArray(key).empty(); }, {"nums"}},
        {"dictionary", [](auto& c, auto& key) { return c.decodeDictionary(key).isEmpty(); }, {}},
        {"color", [](auto& c, auto& key) { return !c.decodeColor(key); }, {"color"}},
        {"font", [](auto& c, auto& key) { return !c.decodeFont(key); }, {}},
        {"image", [](auto& c, auto& key) { return c.decodeImage(key).isNull(); }, {}},
    };
    for (const Reader& r : readers)
        for (const QString& key : k)
            EXPECT_EQ(r.readsDefault(u, key), !r.accepts.contains(key))
                << r.name << " of " << key.toStdString();

    EXPECT_EQ(u.decodeDouble(QStringLiteral("int")), 5.0);
    EXPECT_TRUE(u.containsValueForKey(QStringLiteral("nullobj")));
    EXPECT_FALSE(u.containsValueForKey(QStringLiteral("missing")));
    EXPECT_TRUE(u.ok()) << "wrong types are no damage: " << u.errorString().toStdString();
}

// --- damaged and hostile input ------------------------------------------------------

TEST(KeyedArchive, DamagedOrHostileArchivesAreRejected)
{
    const QByteArray valid = validArchive();
    const QString node = QStringLiteral("<dict><key>$class</key>%1<key>child</key>%2</dict>");
    QStringList chain; // object n's child is object n + 1, 100 deep
    for (int n = 1; n <= 100; ++n)
        chain << node.arg(ref(101), ref(n < 100 ? n + 1 : 0));
    chain << classEntry("FuzzNode");
    // Four levels of arrays, each element of one pointing at the next level:
    // a few hundred bytes that describe 64^4 numbers.
    QStringList bomb;
    for (int level = 0; level < 4; ++level) {
        QString items;
        for (int i = 0; i < 64; ++i)
            items += ref(level < 3 ? level + 2 : 6);
        bomb << QStringLiteral("<dict><key>$class</key>%1<key>objects</key><array>%2</array></dict>")
                    .arg(ref(5), items);
    }
    bomb << classEntry("VexaArray") << "<integer>1</integer>";
    QString deep;
    for (int n = 0; n < 200; ++n)
        deep += "<array>";
    for (int n = 0; n < 200; ++n)
        deep += "</array>";
    QByteArray junk;
    for (int c = 0; c < 256; ++c)
        junk += char(c);

    KeyedUnarchiver::Limits tight;
    tight.maxInputBytes = 200;
    KeyedUnarchiver::Limits fewElements;
    fewElements.maxElements = 50;

    struct Case {
        const char* name;
        QByteArray bytes;
        KeyedUnarchiver::Limits limits = {};
    };
    const Case cases[] = {
        {"empty input", QByteArray()},
        {"plain text", "hello, world"},
        {"binary junk", junk},
        {"truncated", valid.left(valid.size() / 2)},
        {"property list that is no archive", "<plist version=\"1.0\"><dict/></plist>"},
        {"unknown archive version", handArchive("", {}, "99")},
        {"encoding other than UTF-8",
         handArchive("<key>s</key>" + ref(1), {"<string>x</string>"}).replace("UTF-8", "UTF-7")},
        {"reference out of range", handArchive("<key>root</key>" + ref(99), {})},
        {"negative reference", handArchive("<key>root</key>" + ref(-1), {})},
        {"object that is its own child",
         handArchive("<key>root</key>" + ref(1), {node.arg(ref(2), ref(1)), classEntry("FuzzNode")})},
        {"two objects in a cycle",
         handArchive("<key>root</key>" + ref(1),
                     {node.arg(ref(2), ref(3)), classEntry("FuzzNode"), node.arg(ref(2), ref(1))})},
        {"unknown class",
         handArchive("<key>root</key>" + ref(1), {node.arg(ref(2), ref(0)), classEntry("Evil")})},
        {"class reference to $null", handArchive("<key>root</key>" + ref(1), {node.arg(ref(0), ref(0))})},
        {"class entry that is a string",
         handArchive("<key>root</key>" + ref(1), {node.arg(ref(2), ref(0)), "<string>FuzzNode</string>"})},
        {"damaged base64", handArchive("<key>data</key>" + ref(1), {"<data>!!not base64!!</data>"})},
        {"integer too large", handArchive("<key>i</key><integer>99999999999999999999</integer>", {})},
        {"entity expansion",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><plist><string>&b;</string></plist>"},
        {"nesting deeper than the reader allows", handArchive("<key>x</key>" + deep, {})},
        {"object chain deeper than the decoder allows", handArchive("<key>root</key>" + ref(1), chain)},
        {"shared arrays describing 16 million elements", handArchive("<key>list</key>" + ref(1), bomb)},
        {"more elements than allowed", valid, fewElements},
        {"larger than allowed", valid, tight},
    };
    for (const Case& c : cases) {
        KeyedUnarchiver u(c.bytes, c.limits);
        ArchiveFuzzing::registerClasses(u);
        FuzzNode top;
        top.decodeFields(u);
        auto root = u.decodeObject<ArchivableObject>(QStringLiteral("root"));
        EXPECT_FALSE(u.ok()) << c.name;
        EXPECT_FALSE(u.errorString().isEmpty()) << c.name;
        // After an error every read gives its default.
        EXPECT_FALSE(root) << c.name;
        EXPECT_EQ(u.decodeInt(QStringLiteral("i"), 42), 42) << c.name;
    }
}

// A text stored once and named under many keys is made anew for every key
// that is read: past a budget in bytes proportional to the archive's size
// the archive fails, whatever the count of elements.
TEST(KeyedArchive, DecodedBytesStayWithinABudgetProportionalToTheInput)
{
    KeyedArchiver a;
    const QString text(4096, QChar(0x01)); // a control character: stored as UTF-16 data
    for (int i = 0; i < 100; ++i)
        a.encodeString(QStringLiteral("k%1").arg(i), text);
    const QByteArray bytes = a.encodedData();
    ASSERT_LT(bytes.size(), 24 * 1024);

    // A budget of four bytes per byte of input: some 80 kB, ten texts.
    KeyedUnarchiver::Limits limits;
    limits.minDecodedBytes = 64 * 1024;
    limits.decodedBytesPerInputByte = 4;
    KeyedUnarchiver u(bytes, limits);
    int read = 0;
    for (int i = 0; i < 100 && u.ok(); ++i)
        read += u.decodeString(QStringLiteral("k%1").arg(i)) == text ? 1 : 0;
    EXPECT_FALSE(u.ok());
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 20);
    EXPECT_FALSE(u.errorString().isEmpty());

    // Factories report what they make themselves; what they made of one value
    // is kept for the next record that names it.
    KeyedUnarchiver v(bytes, limits);
    EXPECT_TRUE(v.spendBytes(1000));
    std::shared_ptr<void>& slot = v.madeFrom(bytes.constData(), 0);
    EXPECT_FALSE(slot);
    slot = std::make_shared<int>(5);
    EXPECT_EQ(v.madeFrom(bytes.constData(), 0), slot);
    EXPECT_FALSE(v.madeFrom(bytes.constData(), 1));
    EXPECT_FALSE(v.spendBytes(-1));
    EXPECT_FALSE(v.ok());
    EXPECT_FALSE(v.spendBytes(1));
}

TEST(KeyedArchive, EveryInputTheFuzzerFlaggedIsHandled)
{
    const QDir dir(QStringLiteral(VEXA_FIXTURES "/archive"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = f.readAll();
        const ArchiveFuzzing::Outcome outcome = ArchiveFuzzing::run(bytes);
        EXPECT_TRUE(!outcome.decoded || outcome.roundTripped)
            << name.toStdString() << ": " << outcome.error.toStdString();
        // The same promise one level down: a property list that reads must
        // read back unchanged from what the writer makes of it.
        if (auto first = PropertyList::read(bytes)) {
            auto second = PropertyList::read(PropertyList::write(*first));
            EXPECT_TRUE(second && PropertyList::equal(*first, *second)) << name.toStdString();
        }
    }
}

// --- colours, fonts, images --------------------------------------------------------------

TEST(KeyedArchive, ColorsFontsAndImagesRoundTrip)
{
    const QColor colors[]
        = {Color::black(), Color::rgb(1, 0.5, 0, 1), Color::rgb(0.2, 0.4, 0.6, 0.0), Color::darkGray()};
    const QFont installed = *Font::withName(QStringLiteral("DejaVu Sans-Bold"), 9.5);
    QFont absent;
    absent.setFamilies({QStringLiteral("NoSuchFace-Italic")});
    absent.setPointSizeF(11);

    KeyedArchiver a;
    for (int i = 0; i < 4; ++i)
        a.encodeColor(QStringLiteral("c%1").arg(i), colors[i]);
    a.encodeColor(QStringLiteral("invalid"), QColor());
    a.encodeFont(QStringLiteral("installed"), installed);
    a.encodeFont(QStringLiteral("absent"), absent);
    a.encodeImage(QStringLiteral("image"), sampleImage());
    a.encodeImage(QStringLiteral("noimage"), QImage());
    ASSERT_TRUE(a.ok());

    KeyedUnarchiver u(a.encodedData());
    for (int i = 0; i < 4; ++i) {
        auto c = u.decodeColor(QStringLiteral("c%1").arg(i));
        ASSERT_TRUE(c) << i;
        EXPECT_EQ(c->rgba64(), colors[i].rgba64()) << i;
    }
    EXPECT_FALSE(u.decodeColor(QStringLiteral("invalid")));

    auto f = u.decodeFont(QStringLiteral("installed"));
    ASSERT_TRUE(f);
    EXPECT_EQ(Font::storedName(*f), QStringLiteral("DejaVu Sans-Bold"));
    EXPECT_EQ(f->pointSizeF(), 9.5);
    auto g = u.decodeFont(QStringLiteral("absent"));
    ASSERT_TRUE(g);
    EXPECT_EQ(Font::storedName(*g), QStringLiteral("NoSuchFace-Italic")); // kept for the next save
    EXPECT_EQ(g->pointSizeF(), 11.0);

    EXPECT_EQ(u.decodeImage(QStringLiteral("image")).convertToFormat(QImage::Format_ARGB32), sampleImage());
    EXPECT_TRUE(u.decodeImage(QStringLiteral("noimage")).isNull());
    EXPECT_TRUE(u.ok());
}

TEST(KeyedArchive, BrokenColourFontOrImageRecordsReadAsMissing)
{
    const QByteArray bytes = handArchive(
        "<key>c</key>" + ref(1) + "<key>f</key>" + ref(3) + "<key>i</key>" + ref(5),
        {QStringLiteral("<dict><key>$class</key>%1<key>r</key><real>1</real></dict>").arg(ref(2)),
         classEntry("VexaColor"),
         QStringLiteral("<dict><key>$class</key>%1<key>name</key>%2<key>size</key><real>-4</real></dict>")
             .arg(ref(4), ref(7)),
         classEntry("VexaFont"),
         QStringLiteral("<dict><key>$class</key>%1<key>png</key>%2</dict>").arg(ref(6), ref(8)),
         classEntry("VexaImage"), "<string>DejaVu Sans</string>", "<data>bm90IGEgcG5n</data>"});
    KeyedUnarchiver u(bytes);
    EXPECT_FALSE(u.decodeColor("c"));
    EXPECT_FALSE(u.decodeFont("f"));
    EXPECT_TRUE(u.decodeImage("i").isNull());
    EXPECT_TRUE(u.ok());
}

TEST(KeyedArchive, UserDefaultsColourIsAKeyedArchive)
{
    UserDefaults& defaults = UserDefaults::standard();
    const QColor c = Color::rgb(0.1, 0.2, 0.3, 0.5);
    defaults.setColor(QStringLiteral("TestColor"), c);
    const QByteArray stored = defaults.dataForKey(QStringLiteral("TestColor"));
    EXPECT_TRUE(stored.contains("<string>VexaColor</string>"));
    auto back = defaults.colorForKey(QStringLiteral("TestColor"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgba64(), c.rgba64());

    defaults.setValue(QStringLiteral("TestColor"), QByteArray("rgba 1 0 0 1"));
    EXPECT_FALSE(defaults.colorForKey(QStringLiteral("TestColor")));
    EXPECT_FALSE(Color::colorFromArchivedData(validArchive())); // an archive, but no colour at "root"
    defaults.removeObjectForKey(QStringLiteral("TestColor"));
}

// --- the property-list reader --------------------------------------------------------

TEST(PropertyList, ReaderTakesOrdinaryXmlVariations)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Test//DTD PLIST 1.0//EN\" \"plist.dtd\">\n"
                           "<!-- a comment -->\n<plist version=\"1.0\"><dict>\n"
                           "  <key>s</key><string><![CDATA[<raw>]]> &amp; a&#13;b</string>\n"
                           "  <key>d</key><data>\n  AAEC\n  /w==\n</data>\n"
                           "  <key>n</key><integer> -12 </integer><key>r</key><real>1e-2</real>\n"
                           "  <key>e</key><array/><key>t</key><true/>\n"
                           "</dict></plist>\n";
    QString error;
    auto v = PropertyList::read(xml, &error);
    ASSERT_TRUE(v) << error.toStdString();
    const PropertyList::Dict* d = v->asDict();
    ASSERT_TRUE(d);
    EXPECT_EQ(*d->find("s")->asString(), QStringLiteral("<raw> & a\rb"));
    EXPECT_EQ(*d->find("d")->asData(), QByteArray("\0\1\2\xff", 4));
    EXPECT_EQ(d->find("n")->asInteger(), -12);
    EXPECT_EQ(d->find("r")->asReal(), 0.01);
    EXPECT_TRUE(d->find("e")->asArray()->empty());
    EXPECT_EQ(d->find("t")->asBool(), true);

    auto again = PropertyList::read(PropertyList::write(*v), &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_TRUE(PropertyList::equal(*v, *again));
}
