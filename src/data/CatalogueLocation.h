#pragma once

#include <QString>
#include <QStringList>

// Where the catalogue the program works on lives.
//
// Beside the program are the user's catalogue (`Tessaly.mdb`) and, in a build
// or a portable copy, the catalogue as shipped (`Tessaly.seed.mdb`). A build
// never writes the user's file: it is made from the shipped one when missing.
// Where the program's folder cannot be written (a system-wide install, a
// read-only medium, another user's copy), the user works on a copy of their own
// in their per-user data folder, made from the catalogue beside the program.
struct CatalogueLocation
{
    QString live;         // the file to open
    QString shipped;      // the catalogue to bring `live` up to date from; empty for none
    bool perUser = false; // `live` is the per-user copy
    QStringList notes;    // what could not be done on the way, for the start-up report

    // The name of the shipped catalogue beside the user's file `fileName`.
    static QString seedName(const QString& fileName);

    // Decides the files for a program in `programDir` whose catalogue is called
    // `fileName`, making the user's file from the shipped one where it is missing.
    static CatalogueLocation find(const QString& programDir, const QString& fileName, const QString& perUserDir);
};

// Copies the catalogue `from` to `to`, which must not exist yet: under a
// temporary name first and renamed into place when complete, so a failure never
// leaves half a catalogue. The copy can be written by its owner. Throws
// RuntimeError.
void copyCatalogue(const QString& from, const QString& to);
