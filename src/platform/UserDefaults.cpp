#include "platform/UserDefaults.h"

#include "platform/CNumber.h"
#include "platform/Color.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<UserDefaults>& standardSlot()
{
    static std::unique_ptr<UserDefaults> slot;
    return slot;
}

QString& storePathOverride()
{
    static QString path;
    return path;
}

QString defaultStorePath()
{
    // AppConfigLocation follows QStandardPaths' test mode, so test runs never
    // see a real user's preferences.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return dir + QStringLiteral("/Vexa/Vexa.ini");
}

double numberOf(const QVariant& v, bool* ok)
{
    *ok = true;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QByteArray t = v.toString().trimmed().toUtf8();
        const QByteArray lower = t.toLower();
        if (lower == "true" || lower == "yes")
            return 1.0;
        if (lower == "false" || lower == "no")
            return 0.0;
        return CNumber::parsePrefix(std::string_view(t.constData(), size_t(t.size())));
    }
    default:
        *ok = false;
        return 0.0;
    }
}

// The store holds passwords (the stored queries), so it is readable by its
// owner alone. The settings writer replaces the file keeping its mode, so a
// file made owner-only before the first write stays that way.
void makeOwnerOnly(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    struct stat st { };
    if (::stat(name.constData(), &st) == 0 && (st.st_mode & 077) != 0)
        ::chmod(name.constData(), st.st_mode & 0700);
}

} // namespace

UserDefaults::UserDefaults(const QString& path)
{
    makeOwnerOnly(path);
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard()
{
    auto& slot = standardSlot();
    if (!slot) {
        const QString path = storePathOverride().isEmpty() ? defaultStorePath() : storePathOverride();
        slot.reset(new UserDefaults(path));
    }
    return *slot;
}

void UserDefaults::setStoreFile(const QString& path)
{
    storePathOverride() = path;
    standardSlot().reset();
}

QString UserDefaults::storeFile() const
{
    return settings_->fileName();
}

bool UserDefaults::contains(const QString& key) const
{
    return arguments_.contains(key) || settings_->contains(key);
}

QVariant UserDefaults::value(const QString& key) const
{
    auto it = arguments_.constFind(key);
    if (it != arguments_.constEnd())
        return *it;
    return settings_->value(key);
}

QString UserDefaults::stringForKey(const QString& key) const
{
    const QVariant v = value(key);
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return v.toString();
    default:
        return QString();
    }
}

double UserDefaults::doubleForKey(const QString& key) const
{
    bool ok = false;
    const double d = numberOf(value(key), &ok);
    return ok ? d : 0.0;
}

float UserDefaults::floatForKey(const QString& key) const
{
    const double d = doubleForKey(key);
    if (std::isnan(d))
        return std::numeric_limits<float>::quiet_NaN();
    if (d > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::infinity();
    if (d < -std::numeric_limits<float>::max())
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

int UserDefaults::integerForKey(const QString& key) const
{
    const double d = doubleForKey(key);
    if (std::isnan(d))
        return 0;
    if (d >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (d <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(d);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    const double d = doubleForKey(key);
    return d != 0.0 && !std::isnan(d);
}

QByteArray UserDefaults::dataForKey(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return QByteArray();
}

std::optional<QColor> UserDefaults::colorForKey(const QString& key) const
{
    if (!contains(key))
        return std::nullopt;
    return Color::colorFromArchivedData(dataForKey(key));
}

namespace {

// Whether the store already holds v under key. Values read back from the
// file are texts: a number or a truth value matches its written form.
bool holds(const QSettings& settings, const QString& key, const QVariant& v)
{
    if (!settings.contains(key))
        return false;
    const QVariant old = settings.value(key);
    if (old == v)
        return true;
    if (old.typeId() != QMetaType::QString)
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString:
        return old.toString() == v.toString();
    default:
        return false;
    }
}

} // namespace

void UserDefaults::setValue(const QString& key, const QVariant& v)
{
    // An unchanged value is not written again. A change reaches the file
    // once control returns to the event loop (all the changes of one user
    // action in one write), and when the store is closed at exit.
    if (holds(*settings_, key, v))
        return;
    settings_->setValue(key, v);
}

void UserDefaults::synchronize()
{
    settings_->sync();
}

void UserDefaults::setColor(const QString& key, const QColor& color)
{
    setValue(key, Color::archivedData(color));
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    if (settings_->contains(key))
        settings_->remove(key);
}

void UserDefaults::removeAll()
{
    settings_->clear();
}

void UserDefaults::setArgumentDomain(const QStringList& arguments)
{
    arguments_.clear();
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            arguments_.insert(a.mid(1), arguments[i + 1]);
            ++i;
        }
    }
}

void UserDefaults::clearArgumentDomain()
{
    arguments_.clear();
}
