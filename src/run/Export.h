// The CSV files of a run: numbers printed so that they read back to the same
// 80-bit value, and the rows of the trajectory. A header row names the
// columns, so pandas.read_csv and gnuplot take the files as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ObservablesCsv.h"
#include "model/Choices.h"
#include "model/Global.h"
#include "run/RunOptions.h"

namespace vorun::run {

// A real as the CSV files and the summary write it (AppendCsvReal).
std::string FormatReal(Extended80 value, Notation notation);

// The parameter set a slot takes under the colour split, as the scene colours
// it: 2 for the last 30, 15 or 10 slots, else 1.
int ParameterSetOf(int slot, int slotCount, ColourSplit split);

// The simulated time after `step` steps of dt, in 80 bits.
Extended80 TimeAt(std::int64_t step, Extended80 dt);

constexpr std::string_view TrajectoryHeader = "step,time,slot,set,x,y,z,u,v,w\n";

// One row per occupied slot, in slot order, from the committed state.
void AppendTrajectoryRows(std::string& out, const EnsembleState& e, std::int64_t step, ColourSplit split,
                          Notation notation);

// The window's readouts save the same columns.
constexpr std::string_view ObservablesHeader = ObservablesCsvColumns;

// One row of MeasureObservables of the committed state. With fewer than two
// taons there is no pair: its three cells stay empty (NaN to pandas).
void AppendObservablesRow(std::string& out, const EnsembleState& e, std::int64_t step, Notation notation);

}  // namespace vorun::run
