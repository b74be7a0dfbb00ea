#pragma once

#include <string>

class Timeline;
struct World;

// The data a lab report takes into a spreadsheet: one row a simulation
// step, columns with their units in the header, numbers in the shortest
// text that reads back as the same double. Save data (both panels) and
// orvane-sim --csv write it through these, and nothing else does.

// The header row, with its line end.
std::string dataCsvHeader();

// The world's row (its step, the model time, the energies, contacts, tilt,
// the centre mass point's place and speed), with its line end.
void appendDataCsvRow(std::string& out, const World& world);

// The header, then a row for every step the timeline keeps, oldest first.
std::string keptStepsCsv(const Timeline& timeline);
