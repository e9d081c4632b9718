#include "MethodCommand.h"

#include "ToolOutput.h"
#include "core/journal/methods/MethodStore.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"
#include "core/journal/store/SqliteConnection.h"
#include "core/measure/ModeText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A number given for a limit or a constant: the whole text, finite.
std::optional<double> Number(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<int> Integer(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QJsonValue LimitJson(const std::optional<double> &limit)
{
    return limit ? QJsonValue(*limit) : QJsonValue();
}

QString LimitText(const std::optional<double> &limit)
{
    return limit ? QString::number(*limit, 'g', QLocale::FloatingPointShortest) : QString();
}

QJsonObject MethodJson(const Method &m)
{
    return {
        { u"name"_s, m.name },
        { u"version"_s, m.version },
        { u"retired"_s, m.retired },
        { u"mode"_s, static_cast<int>(m.mode) },
        { u"mode_name"_s, ModeName(m.mode) },
        { u"n"_s, m.sampleCount },
        { u"constants"_s, ModeConstantsJson(m.constants) },
        { u"lower"_s, LimitJson(m.lower) },
        { u"upper"_s, LimitJson(m.upper) },
        { u"decimals"_s, m.decimals },
        { u"auto_confirm"_s, m.autoConfirm },
    };
}

// The journal as velmora writes it, keyed with the station's key.
bool OpenWriter(Journal &journal, const QString &path, const QString &keyPath, std::FILE *err)
{
    const Journal::OpenOutcome opened = journal.open(path, keyPath);
    if (!opened.movedAsideTo.isEmpty())
        PrintError(err,
                   u"the journal was damaged (%1) and was moved to %2; a new one is started"_s.arg(
                       opened.damage, opened.movedAsideTo));
    if (!opened.result.ok())
        PrintError(err, u"cannot write the journal %1: %2"_s.arg(path, opened.result.text));
    return opened.result.ok();
}

} // namespace

bool MethodCommand::parse(const QStringList &arguments, QString &error)
{
    bool modeGiven = false;
    bool countGiven = false;
    bool definition = false; // an option of set
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString text;
        const auto value = [&] {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(u"--"_s)) {
                error = u"%1 needs a value"_s.arg(argument);
                return false;
            }
            text = arguments.at(++i);
            return true;
        };
        const auto bad = [&] {
            error = u"%1 '%2' is not a usable value"_s.arg(argument, text);
            return false;
        };
        ModeConstants &c = m_method.constants;
        const std::array<std::pair<QStringView, float *>, 4> constants {
            { { u"--a", &c.a }, { u"--lenc", &c.lenC }, { u"--c", &c.C }, { u"--lena", &c.lena } }
        };
        const auto constant =
            std::find_if(constants.cbegin(), constants.cend(),
                         [&](const auto &known) { return known.first == argument; });
        definition = definition || (argument.startsWith(u"--"_s) && argument != u"--json"_s);
        if (argument == u"--json"_s) {
            m_json = true;
        } else if (argument == u"--auto-confirm"_s) {
            m_method.autoConfirm = true;
        } else if (!argument.startsWith(u"--"_s)) {
            positional << argument;
        } else if (!value()) {
            return false;
        } else if (argument == u"--mode"_s) {
            const std::optional<int> mode = Integer(text);
            if (!mode || *mode < 0 || *mode > 3)
                return bad();
            m_method.mode = ModeFromInt(*mode);
            modeGiven = true;
        } else if (argument == u"--n"_s) {
            m_method.sampleCount = Integer(text).value_or(0);
            countGiven = true;
        } else if (argument == u"--decimals"_s) {
            m_method.decimals = Integer(text).value_or(-1);
        } else if (argument == u"--lower"_s || argument == u"--upper"_s) {
            (argument == u"--lower"_s ? m_method.lower : m_method.upper) = Number(text);
            if (!Number(text))
                return bad();
        } else if (constant != constants.cend()) {
            // Checked whole by the method: zero or beyond single precision divides nothing.
            const std::optional<double> number = Number(text);
            if (!number)
                return bad();
            *constant->second = static_cast<float>(*number);
        } else {
            error = u"unknown option %1"_s.arg(argument);
            return false;
        }
    }
    m_action = positional.value(0);
    m_method.name = positional.value(1);
    const bool named = m_action != u"list"_s;
    if (m_action != u"set"_s && m_action != u"list"_s && m_action != u"retire"_s) {
        error = m_action.isEmpty() ? u"method needs set, list or retire"_s
                                   : u"unknown method command '%1'"_s.arg(m_action);
        return false;
    }
    if (positional.size() != (named ? 2 : 1)) {
        error =
            named ? u"method %1 needs one NAME"_s.arg(m_action) : u"method list takes no NAME"_s;
        return false;
    }
    if ((definition && m_action != u"set"_s) || (m_json && m_action != u"list"_s)) {
        error = u"an option does not belong to the command 'method %1'"_s.arg(m_action);
        return false;
    }
    if (m_action == u"set"_s && (!modeGiven || !countGiven)) {
        error = u"method set needs --mode and --n"_s;
        return false;
    }
    if (const QString problem = m_method.problem(); m_action == u"set"_s && !problem.isEmpty()) {
        error = problem;
        return false;
    }
    return true;
}

MethodCommand::Outcome MethodCommand::run(const QString &journalPath, const QString &keyPath,
                                          std::FILE *out, std::FILE *err,
                                          const Authorize &authorize) const
{
    if (m_action == u"list"_s)
        return list(journalPath, out, err);
    return m_action == u"set"_s ? set(journalPath, keyPath, out, err, authorize)
                                : retire(journalPath, keyPath, out, err, authorize);
}

MethodCommand::Outcome MethodCommand::set(const QString &journalPath, const QString &keyPath,
                                          std::FILE *out, std::FILE *err,
                                          const Authorize &authorize) const
{
    Journal journal;
    if (!OpenWriter(journal, journalPath, keyPath, err))
        return Outcome::Unreadable;
    if (const Outcome allowed =
            authorize ? authorize(journal, u"method set "_s + m_method.name, err) : Outcome::Done;
        allowed != Outcome::Done)
        return allowed;
    Method method = m_method;
    MethodStore::Change change = MethodStore::Change::Unknown;
    if (const JournalResult result = MethodStore::Set(journal, method, change); !result.ok()) {
        PrintError(err, u"cannot write the journal %1: %2"_s.arg(journalPath, result.text));
        return Outcome::Unreadable;
    }
    const QString name = TerminalVisible(method.name);
    if (change == MethodStore::Change::Retired) {
        PrintError(err, u"method %1 is retired; a retired name is never used again"_s.arg(name));
        return Outcome::Refused;
    }
    Print(out,
          (change == MethodStore::Change::Stored ? u"method %1: version %2 stored\n"_s
                                                 : u"method %1: version %2 is the same already\n"_s)
              .arg(name)
              .arg(method.version));
    return Outcome::Done;
}

MethodCommand::Outcome MethodCommand::retire(const QString &journalPath, const QString &keyPath,
                                             std::FILE *out, std::FILE *err,
                                             const Authorize &authorize) const
{
    Journal journal;
    if (!OpenWriter(journal, journalPath, keyPath, err))
        return Outcome::Unreadable;
    if (const Outcome allowed = authorize
            ? authorize(journal, u"method retire "_s + m_method.name, err)
            : Outcome::Done;
        allowed != Outcome::Done)
        return allowed;
    MethodStore::Change change = MethodStore::Change::Unknown;
    const JournalResult result = MethodStore::Retire(journal, m_method.name, change);
    const QString name = TerminalVisible(m_method.name);
    if (!result.ok()) {
        PrintError(err, u"cannot write the journal %1: %2"_s.arg(journalPath, result.text));
        return Outcome::Unreadable;
    }
    switch (change) {
    case MethodStore::Change::Unknown:
        PrintError(err, u"there is no method %1 in %2"_s.arg(name, journalPath));
        return Outcome::Unreadable;
    case MethodStore::Change::Retired:
        PrintError(err, u"method %1 is retired already"_s.arg(name));
        return Outcome::Refused;
    case MethodStore::Change::Stored:
    case MethodStore::Change::Unchanged:
        break;
    }
    Print(out, u"method %1: retired\n"_s.arg(name));
    return Outcome::Done;
}

MethodCommand::Outcome MethodCommand::list(const QString &journalPath, std::FILE *out,
                                           std::FILE *err) const
{
    SqliteConnection db;
    QList<Method> methods;
    JournalResult result = JournalSchema::Open(db, journalPath, SqliteConnection::OpenMode::Read);
    if (result.ok())
        result = MethodStore::List(db, methods);
    if (!result.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(journalPath, result.text));
        return Outcome::Unreadable;
    }
    if (m_json) {
        QJsonArray array;
        for (const Method &method : std::as_const(methods))
            array.append(MethodJson(method));
        Print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Outcome::Done;
    }
    Print(out,
          u"name\tversion\tstate\tmode\tn\tlower\tupper\tdecimals\tauto\ta\tlenC\tC\tlena\n"_s);
    for (const Method &m : std::as_const(methods)) {
        const QStringList fields { TerminalVisible(m.name),
                                   QString::number(m.version),
                                   m.retired ? u"retired"_s : u"in use"_s,
                                   QString::number(static_cast<int>(m.mode)),
                                   QString::number(m.sampleCount),
                                   LimitText(m.lower),
                                   LimitText(m.upper),
                                   QString::number(m.decimals),
                                   m.autoConfirm ? u"yes"_s : u"no"_s,
                                   ConstantText(m.constants.a),
                                   ConstantText(m.constants.lenC),
                                   ConstantText(m.constants.C),
                                   ConstantText(m.constants.lena) };
        Print(out, fields.join(u'\t') + u'\n');
    }
    return Outcome::Done;
}
