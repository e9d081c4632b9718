#pragma once

#include <QString>

#include <cstdio>

// What velmora-journal writes: text as UTF-8, errors after the program's name on a line each.
void Print(std::FILE *stream, const QString &text);
void PrintError(std::FILE *err, const QString &text);

// A typed text as a terminal may safely show it, every character that would act on it escaped.
QString TerminalVisible(const QString &text);
