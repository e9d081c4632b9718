#pragma once

// A station's journal with accounts, made through the journal's own API.

#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/store/Journal.h"

#include <QSqlQuery>
#include <QTest>

namespace AccountLab {

using namespace Qt::StringLiterals;

inline QString Password(const QString &name)
{
    return name + u"-secret-1"_s;
}

// A journal with its administrator "root" and the accounts asked for, under a clock the test
// moves; three wrong passwords lock an account for 15 minutes.
struct Lab
{
    Lab(const QString &folder, const QList<std::pair<QString, Role>> &people)
        : folder(folder)
    {
        QVERIFY(journal.open(path()).result.ok());
        accounts.setClock([this] { return now; });
        QVERIFY(accounts.addAccount({}, { u"root"_s, {}, Role::Admin }, Password(u"root"_s)).ok());
        for (const auto &[name, role] : people)
            QVERIFY(
                accounts.addAccount(admin(), { name, name.toUpper(), role }, Password(name)).ok());
    }

    QString path() const { return folder + u"/j.sqlite"_s; }
    static Credentials admin() { return { u"root"_s, Password(u"root"_s) }; }

    // A completed run of three readings, confirmed by the accounts named.
    QString measure(const QStringList &by)
    {
        RunHeader header;
        header.sampleCount = 3;
        header.account = by.constFirst();
        journal.beginRun(header);
        for (int n = 1; n <= 3; ++n) {
            ConfirmedReading reading { n, u"1000"_s, n * 1.0, std::nullopt, {}, by.value(n - 1) };
            if (n == 3)
                reading.totals = RunTotals { u"2.000"_s, u""_s };
            if (!journal.recordReading(reading).ok())
                return {};
        }
        QSqlQuery query(journal.database().database());
        return query.exec(u"SELECT run_id FROM runs ORDER BY rowid DESC"_s) && query.next()
            ? query.value(0).toString()
            : QString();
    }

    int count(const QString &sql)
    {
        QSqlQuery query(journal.database().database());
        return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
    }

    QString folder;
    Journal journal; // the station the program and its tools write as
    const AccountPolicy policy { true, 8, 90, 3, std::chrono::minutes(15), std::chrono::minutes(15),
                                 true };
    QDateTime now = QDateTime::currentDateTimeUtc();
    AccountJournal accounts { journal, policy };
};

} // namespace AccountLab

using AccountLab::Lab;
using AccountLab::Password;
