#pragma once

#include <string>

class Timeline;
struct World;

// The data a lab report takes into a spreadsheet: one row a simulation
// step, columns with their units in the header, numbers in the shortest
// text that reads back as the same double. Save data (both panels) and
// orvane-sim --csv write it through these, and nothing else does.

// The header row, with its line end. With compare mode's B, B's own
// columns follow A's: its time, energies, contacts, centre of mass, and how
// far apart the two centres of mass are.
std::string dataCsvHeader(bool withB = false);

// The world's row (its step, the model time, the energies, contacts, tilt,
// the centre mass point's place and speed), with its line end. With B's
// columns, a world without B leaves them empty.
void appendDataCsvRow(std::string& out, const World& world, bool withB = false);

// The header, then a row for every step the timeline keeps, oldest first;
// B's columns when any of those steps has B.
std::string keptStepsCsv(const Timeline& timeline);
