// The generic profiling-log reader: owns everything one reader knows about a log
// and implements every operation of the reader interface.
//
// Members are public on purpose: the handlers, the aggregation and the report
// writers of the other subsystems work on them directly, and so do the tests.
// Nothing outside the library sees this class; hosts see the interface only.
#ifndef VYN_READER_VYN_PROFILE_LOG_READER_H_
#define VYN_READER_VYN_PROFILE_LOG_READER_H_

#include <cstdint>
#include <list>
#include <ostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "format/flat_buffer_reader_util.h"
#include "reader/graph_index.h"
#include "reader/insertion_ordered_map.h"
#include "reader/phase_stat.h"
#include "vyn/profiling/profile_log_reader.h"

namespace vyn::profiling {

// The version text this reader reports as its own.
inline constexpr const char* kViewerVersion = "v2.51.0.260929181845";

// Name a generating tool gives itself when the log comes from the updater tool.
inline constexpr const char* kUpdaterGeneratorName = "zevir-talvo-updater";

class VynProfileLogReader : public IVynProfileLogReader<VisibilityLevel> {
 public:
  VynProfileLogReader(const std::string& inputLogPath, VisibilityLevel visibilityLevel);
  ~VynProfileLogReader() override;
  VynProfileLogReader(const VynProfileLogReader&) = delete;
  VynProfileLogReader& operator=(const VynProfileLogReader&) = delete;

  // Interface operations, in the interface's order.
  bool writeReport(const std::string& outputPath) override;
  std::string getHeaderReport() override;
  bool processNextMessage() override;
  bool loadLog(bool writeDataFiles) override;
  bool isSupported() override { return true; }
  void writeEventTree(std::ostream& out, const std::vector<ProfileEvent>& events,
                      std::uint64_t depth) override;
  void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                  std::uint64_t messageTimestamp, const std::string& messageLabel,
                  std::uint64_t depth) override;

  // Loading (format and reader subsystems).
  void captureHeader();
  // Runs after the last record of a successful load; text for standard output
  // (the queue-wait notices) is appended to diagnosticText.
  void aggregateStatistics(std::ostringstream& diagnosticText);

  // Text summary sections.
  void writeHeaderSection(std::ostream& out);
  void writePhaseStats(std::ostream& out);
  void writeInitStats(std::ostream& out);
  void writeComposeGraphsStats(std::ostream& out);
  void writeFinalizeStats(std::ostream& out);
  void writeDeInitStats(std::ostream& out);
  void writeContextRetrievalStats(std::ostream& out);
  void writeContextSectionRetrievalStats(std::ostream& out);
  void writeExecuteOverallStats(std::ostream& out);
  enum class ExecuteStatKind { Average, Min, Max };
  void writeExecuteStats(std::ostream& out, ExecuteStatKind kind);
  void writeDynamicLibLoadStats(std::ostream& out);
  enum class GraphPhaseKind {
    ApplyBinarySectionAverage,
    ApplyBinarySectionMin,
    ApplyBinarySectionMax,
    TensorUpdatesAverage,
    TensorUpdatesMin,
    TensorUpdatesMax,
  };
  void writeGraphPhaseStats(std::ostream& out, GraphPhaseKind kind);
  void writeUpdateBinarySectionStats(std::ostream& out);

  // CSV export.
  void writeCsvPreamble(std::ostream& out);
  void writeCsvHeaderRow(std::ostream& out);
  void writePhaseRows(std::ostream& out);
  void writeInitRow(std::ostream& out);
  void writeComposeGraphsRow(std::ostream& out);
  void writeFinalizeRows(std::ostream& out);
  void writeDeInitRow(std::ostream& out);
  void writeExecuteRows(std::ostream& out);
  void writeExecuteIpsRow(std::ostream& out);
  void writeDlopenLatencyRow(std::ostream& out);
  void writeApplyBinarySectionRows(std::ostream& out);
  void writeFinalizeAfterTensorUpdatesRows(std::ostream& out);
  void writeContextRetrievalRows(std::ostream& out);
  void writeUpdateBinarySectionRows(std::ostream& out);

  // Saves the raw bytes of an object-valued event under the name it carries.
  void writeEventDataFile(const ProfileEvent& event);

  // State, in declaration order.
  std::int8_t visibilityLevel;
  bool endOfRecord = false;
  FlatBufferReaderUtil recordCursor;
  std::uint64_t initTimestamp = 0;
  std::uint64_t initTime = 0;
  std::uint64_t initMessageTimestamp = 0;
  std::uint64_t initMessageTime = 0;
  std::uint64_t composeTimestamp = 0;
  std::uint64_t composeTime = 0;
  std::string composeName;
  std::string initName;
  PhaseStat initStat;
  bool hasInitStat = false;
  PhaseStat initAltStat;
  bool hasInitAltStat = false;
  bool hasApplyBinarySection = false;
  bool hasUpdateBinarySection = false;
  bool hasFinalizeAfterTensorUpdates = false;
  bool hasContextRetrieval = false;
  InsertionOrderedMap<PhaseStat> contextBinaryStats;
  bool hasContextSectionRetrieval = false;
  InsertionOrderedMap<std::vector<PhaseStat>> contextSectionSeries;
  std::vector<GraphPhaseStat> finalizeStats;
  bool hasFinalize = false;
  bool hasFinalizeStats = false;
  std::vector<GraphPhaseSeries> executeSeries;
  std::vector<GraphPhaseSeries> applySectionSeries;
  std::vector<GraphPhaseSeries> tensorUpdateSeries;
  bool hostRoundTrip = false;
  std::vector<GraphPhaseStat> executeAverage;
  std::vector<GraphPhaseStat> applySectionAverage;
  std::vector<GraphPhaseStat> applySectionMax;
  std::vector<GraphPhaseStat> applySectionMin;
  std::vector<GraphPhaseStat> updateSectionStats;
  std::vector<GraphPhaseStat> tensorUpdateAverage;
  std::vector<GraphPhaseStat> tensorUpdateMax;
  std::vector<GraphPhaseStat> tensorUpdateMin;
  std::vector<GraphPhaseStat> executeMax;
  std::vector<GraphPhaseStat> executeMin;
  std::vector<QueueWaitSamples> queueWaitSamples;
  std::vector<QueueWaitValue> queueWaitMax;
  std::vector<QueueWaitValue> queueWaitMin;
  PhaseStat executeOverallStat;
  bool hasExecuteOverallStat = false;
  PhaseStat deInitStat;
  std::string generatorName;
  bool generatedByUpdater = false;
  std::string generatorVersion;
  std::string backendVersion;
  PhaseStat libLoadStat;
  bool hasLibLoadStat = false;
  std::string inputLogPath;
  bool headerCaptured = false;
  bool writeDataFiles = false;
  std::uint64_t epochTimestamp = 0;
  std::uint64_t steadyClockTimestamp = 0;
  float timeScale = 0.0f;
  std::list<std::string> eventStringPool;  // elements never move

  // For each data-file name, the first numbered candidate not yet known to be
  // taken (0: the name itself).
  std::unordered_map<std::string, std::uint64_t> dataFileNextNumber;

  // Lookup aids of the capture, beside the state they index.
  GraphIndex finalizeStatsIndex;
  GraphIndex executeSeriesIndex;
  GraphIndex applySectionSeriesIndex;
  GraphIndex tensorUpdateSeriesIndex;
  // Per entry of executeSeries: how many of its oldest runs are known to carry
  // events, so that late events find the oldest run without any at once.
  std::vector<std::size_t> executeRunsWithEvents;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_VYN_PROFILE_LOG_READER_H_
