#include "io/MySQLImport.h"

#include "io/MySQLClient.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

// The field types whose values are numbers (or NULL).
bool numericField(enum_field_types type)
{
    switch (type) {
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
    case MYSQL_TYPE_NULL:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_YEAR:
    case MYSQL_TYPE_NEWDECIMAL:
        return true;
    default:
        return false;
    }
}

struct Connection {
    const MySQLClient& client;
    MYSQL* handle = nullptr;
    ~Connection()
    {
        if (handle)
            client.close(handle);
    }
    QString errorText() const { return QString::fromUtf8(client.error(handle)); }
};

struct Result {
    const MySQLClient& client;
    MYSQL_RES* handle = nullptr;
    ~Result()
    {
        if (handle)
            client.freeResult(handle);
    }
};

// A value as the server sent it in text form. A text that is no number (the
// server never sends one for a numeric column) counts like NULL.
bool valueOf(const char* text, double& out)
{
    return text && CNumber::parseExact(std::string_view(text, std::strlen(text)), out);
}

} // namespace

Outcome MySQLImport::importMySQL(VexaDocument& document, const MySQLQuery& query, const Palette& palette,
                                 qint64 valueLimit)
{
    const auto connectError
        = [](const QString& message) { return Outcome::failed(message, connectErrorTitle()); };
    const auto queryError
        = [](const QString& message) { return Outcome::failed(message, queryErrorTitle()); };
    QString why;
    const MySQLClient* client = MySQLClient::get(why);
    if (!client)
        return connectError(QStringLiteral("The MySQL client could not be loaded: %1").arg(why));
    Connection connection{*client};
    connection.handle = client->init(nullptr);
    if (!connection.handle)
        return connectError(QStringLiteral("Out of memory."));
    const unsigned timeout = connectTimeoutSeconds;
    client->options(connection.handle, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    const unsigned long rowBytes = maxRowBytes;
    client->options(connection.handle, MYSQL_OPT_MAX_ALLOWED_PACKET, &rowBytes);

    const QByteArray host = query.host.toUtf8();
    const QByteArray user = query.user.toUtf8();
    const QByteArray passwd = query.passwd.toUtf8();
    const QByteArray db = query.db.toUtf8();
    // The library would quietly take its default port for 0 or a value
    // that does not fit.
    if (query.port < 1 || query.port > 65535)
        return connectError(QStringLiteral("%1 is no port number (1 to 65535).").arg(query.port));
    const unsigned port = unsigned(query.port);
    client->realConnect(connection.handle, host.constData(), user.constData(), passwd.constData(),
                        db.constData(), port, nullptr, 0);
    if (client->errorNumber(connection.handle) != 0)
        return connectError(connection.errorText());

    const QByteArray sql = query.sql.toUtf8();
    client->query(connection.handle, sql.constData());
    if (client->errorNumber(connection.handle) != 0)
        return queryError(connection.errorText());

    // The rows come as they are read, so a result of any length takes no
    // more memory than the points it makes.
    Result result{*client};
    result.handle = client->useResult(connection.handle);
    // No result: a statement that returns none (an update, a table made),
    // or a result that could not be read (the connection lost on the way).
    if (!result.handle) {
        if (client->errorNumber(connection.handle) != 0)
            return queryError(connection.errorText());
        return Outcome::done();
    }

    std::vector<QString> names;
    while (MYSQL_FIELD* field = client->fetchField(result.handle)) {
        if (!numericField(field->type))
            return Outcome::failed(notNumericMessage(), refusedTitle());
        names.push_back(QString::fromUtf8(field->name));
    }
    const unsigned columns = client->fieldCount(connection.handle);
    if (columns == 0 || names.size() != columns)
        return Outcome::done();

    const unsigned count = columns == 1 ? 1 : columns - 1;
    std::vector<std::unique_ptr<DataBuffer>> made;
    made.reserve(count);
    for (unsigned k = 0; k < count; ++k) {
        auto b = std::make_unique<DataBuffer>();
        b->setSource(QStringLiteral("MySQL"));
        b->setComment(columns == 1 ? names[0] : names[k + 1]);
        made.push_back(std::move(b));
    }

    double row = 0;
    qint64 taken = 0;
    while (MYSQL_ROW values = client->fetchRow(result.handle)) {
        // Counted by the row (its values, NULLs too) before any is added.
        taken += count;
        if (taken > valueLimit) {
            return Outcome::failed(tooLargeMessage(valueLimit), refusedTitle());
        }
        double x = 0;
        double y = 0;
        if (columns == 1) {
            // x is the row's place in the result, so a NULL leaves a gap.
            if (valueOf(values[0], y))
                made[0]->quickAddDoubleValue(row, y);
            row += 1;
            continue;
        }
        if (!valueOf(values[0], x))
            continue;
        for (unsigned c = 1; c < columns; ++c)
            if (valueOf(values[c], y))
                made[c - 1]->quickAddDoubleValue(x, y);
    }
    // The end of the rows, or a connection lost on the way.
    if (client->errorNumber(connection.handle) != 0)
        return queryError(connection.errorText());

    // Each new buffer takes the next colour of the palette, through the
    // document's setter like every other style change; the caller replots.
    for (std::size_t k = 0; k < made.size(); ++k) {
        made[k]->rescale();
        document.DB.push_back(std::move(made[k]));
        document.setBufferStyle(document.bufferCount() - 1, &BufferStyle::color, palette[k % palette.size()],
                                VexaDocument::Redraw::Later);
    }
    return Outcome::done();
}
