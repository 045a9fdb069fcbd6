#include "sheet/cell_maps.h"

#include <array>

namespace sheet {
namespace {

constexpr CellPos At(char column, std::int32_t row) { return CellPos{row, column}; }
constexpr CellPos Unplaced(char column) { return CellPos{kNotPlaced, column}; }

// The header cells are the same in both protocols; the point columns and the footer differ.
constexpr std::array<CellPos, kHeaderTexts> kHeaderCells = {
    At('A', 4),  At('C', 6),  At('E', 7),  At('C', 8),  At('C', 9),  At('F', 10), At('A', 15),
    At('C', 15), At('D', 15), At('E', 15), At('F', 15), At('H', 15), At('I', 15), At('J', 15),
    At('D', 18), At('D', 19), At('D', 20), At('B', 31), At('C', 31), At('D', 31), At('F', 31),
};

constexpr PosPov MakeMap(const std::array<CellPos, kPointTexts>& points,
                         const std::array<CellPos, 3>& footer) {
    PosPov map{};
    for (int k = 0; k < kHeaderTexts; ++k) map.HeaderCells[k] = kHeaderCells[k];
    for (int k = 0; k < kPointTexts; ++k) map.PointCols[k] = points[k];
    for (int k = 0; k < 3; ++k) map.FooterCells[k] = footer[k];
    map.StructSize = kCellMapSize;
    map.Magic = kRecordMagic;
    return map;
}

}  // namespace

// Calibration: no error and tolerance columns, the uncertainty in F, no verdict.
const PosPov kCalibrationMap =
    MakeMap({At('B', 32), At('C', 32), At('D', 32), At('E', 32), Unplaced('F'), Unplaced('H'), At('F', 32)},
            {Unplaced('A'), At('B', 46), At('H', 46)});

// Verification: error in F, tolerance in H, no uncertainty; the verdict in A44.
const PosPov kVerificationMap =
    MakeMap({At('B', 32), At('C', 32), At('D', 32), At('E', 32), At('F', 32), At('H', 32), Unplaced('A')},
            {At('A', 44), At('B', 47), At('G', 47)});

const PosPov& CellMapFor(std::int32_t mode) { return mode != 0 ? kCalibrationMap : kVerificationMap; }

}  // namespace sheet
