#include "core/journal/methods/MethodStore.h"

#include "core/journal/store/Journal.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

std::optional<Method> Named(const QList<Method> &methods, const QString &name)
{
    const auto found = std::find_if(methods.cbegin(), methods.cend(),
                                    [&name](const Method &m) { return m.name == name; });
    return found == methods.cend() ? std::nullopt : std::optional(*found);
}

} // namespace

JournalResult MethodStore::List(JournalConnection &db, QList<Method> &out)
{
    out.clear();
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    // The kinds as literals, so that the partial index over them is used.
    const JournalResult result = db.exec(
        query,
        u"SELECT kind, detail FROM events WHERE kind IN ('%1', '%2') ORDER BY station, seq"_s.arg(
            EventText(JournalEvent::MethodSet), EventText(JournalEvent::MethodRetired)));
    QMap<QString, Method> latest;
    while (result.ok() && query.next()) {
        const QString detail = query.value(1).toString();
        if (query.value(0).toString() == EventText(JournalEvent::MethodRetired)) {
            const QString name =
                QJsonDocument::fromJson(detail.toUtf8()).object().value(u"name"_s).toString();
            if (latest.contains(name))
                latest[name].retired = true;
        } else if (const std::optional<Method> method = Method::FromDetail(detail)) {
            latest.insert(method->name, *method);
        }
    }
    out = latest.values();
    return result;
}

JournalResult MethodStore::Find(JournalConnection &db, const QString &name,
                                std::optional<Method> &out)
{
    QList<Method> methods;
    const JournalResult result = List(db, methods);
    out = Named(methods, name);
    if (out && out->retired)
        out.reset();
    return result;
}

JournalResult MethodStore::Set(Journal &journal, Method &method, Change &change)
{
    return journal.appendEvent(JournalEvent::MethodSet, [&](QString &detail) {
        QList<Method> methods;
        const JournalResult result = List(journal.database(), methods);
        const std::optional<Method> latest = Named(methods, method.name);
        method.version = latest ? latest->version : 0;
        if (!result.ok() || (latest && (latest->retired || latest->sameDefinition(method)))) {
            change = latest && latest->retired ? Change::Retired : Change::Unchanged;
            return result;
        }
        ++method.version;
        change = Change::Stored;
        detail = method.detail();
        return result;
    });
}

JournalResult MethodStore::Retire(Journal &journal, const QString &name, Change &change)
{
    return journal.appendEvent(JournalEvent::MethodRetired, [&](QString &detail) {
        QList<Method> methods;
        const JournalResult result = List(journal.database(), methods);
        const std::optional<Method> latest = Named(methods, name);
        change = !latest ? Change::Unknown : latest->retired ? Change::Retired : Change::Stored;
        if (result.ok() && change == Change::Stored)
            detail =
                QString::fromUtf8(QJsonDocument(QJsonObject { { u"name"_s, name },
                                                              { u"version"_s, latest->version } })
                                      .toJson(QJsonDocument::Compact));
        return result;
    });
}
