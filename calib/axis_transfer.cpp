#include "calib/axis_transfer.h"

#include <array>
#include <span>

#include "calib/calibration_sections.h"

namespace velmora::calib {

namespace {

// The four halves in the order they are sent, as the calibration file names
// them; each knows its commands, its place and its size.
constexpr std::array<Section, 4> kHalves{Section::kVetRpm0, Section::kVetRpm1, Section::kVetTinj0,
                                         Section::kVetTinj1};

[[nodiscard]] Bytes& TableOf(AxisTables& tables, Section s) {
  return InfoOf(s).holder == Holder::kRpmAxis ? tables.rpm : tables.time;
}

[[nodiscard]] const Bytes& TableOf(const AxisTables& tables, Section s) {
  return InfoOf(s).holder == Holder::kRpmAxis ? tables.rpm : tables.time;
}

// Where a half starts in its table.
[[nodiscard]] std::size_t Offset(Section s) {
  return static_cast<std::size_t>(InfoOf(s).part) * FixedDataSize(s).value_or(0);
}

int ReadHalves(link::EcuAccess& ecu, AxisTables* out) {
  AxisTables tables;
  tables.rpm.reserve(sizes::kRpmAxis);
  tables.time.reserve(sizes::kTimeAxis);
  Bytes answer;
  for (const Section s : kHalves) {
    const auto address = PagedAddress(s);
    const auto size = FixedDataSize(s);
    if (!address || !size) {
      return link::kInvalidRequest;
    }
    if (const int code = ecu.Command(InfoOf(s).read_command, *address, &answer);
        code != link::kOk) {
      return code;
    }
    if (const int code = link::TakeAnswerData(ecu, answer, *size, &TableOf(tables, s));
        code != link::kOk) {
      return code;
    }
  }
  *out = std::move(tables);
  return link::kOk;
}

int WriteHalves(link::EcuAccess& ecu, const AxisTables& wanted) {
  for (const Section s : kHalves) {
    const auto address = PagedAddress(s);
    const auto size = FixedDataSize(s);
    if (!address || !size) {
      return link::kInvalidRequest;
    }
    const auto half = std::span(TableOf(wanted, s)).subspan(Offset(s), *size);
    Bytes data(address->begin(), address->end());
    data.insert(data.end(), half.begin(), half.end());
    if (const int code = ecu.Command(InfoOf(s).write_command, data); code != link::kOk) {
      return code;
    }
  }
  return link::kOk;
}

}  // namespace

int WriteAxisTables(link::EcuAccess& ecu, const AxisTables& wanted, AxisTables* read_back) {
  if (wanted.rpm.size() != sizes::kRpmAxis || wanted.time.size() != sizes::kTimeAxis) {
    return link::kInvalidRequest;
  }
  AxisTables tables;
  // The parameter found is put back only when everything succeeded.
  const int code =
      link::WithLongOperationParameter(ecu, link::ParameterRestore::kAfterSuccess, [&] {
        const int written = WriteHalves(ecu, wanted);
        return written != link::kOk ? written : ReadHalves(ecu, &tables);
      });
  if (code == link::kOk && read_back != nullptr) {
    *read_back = std::move(tables);
  }
  return code;
}

int ReadAxisTables(link::EcuAccess& ecu, AxisTables* out) {
  AxisTables tables;
  // The parameter found is put back only when everything succeeded.
  const int code = link::WithLongOperationParameter(ecu, link::ParameterRestore::kAfterSuccess,
                                                    [&] { return ReadHalves(ecu, &tables); });
  if (code == link::kOk && out != nullptr) {
    *out = std::move(tables);
  }
  return code;
}

AxisFailure UpdateAxisVectors(CalibrationImage& image) {
  AxisBreakpoints points;
  const AxisFailure failure = TablesToVectors(image.rpm_axis, image.time_axis, &points);
  if (failure != AxisFailure::kNone) {
    image.rpm_vector.clear();
    image.time_vector.clear();
    return failure;
  }
  image.rpm_vector.assign(points.rpm.begin(), points.rpm.end());
  image.time_vector.assign(points.time.begin(), points.time.end());
  return AxisFailure::kNone;
}

}  // namespace velmora::calib
