#include "export/background_export.h"

#include "export/thread_priority.h"

BackgroundExport::BackgroundExport(std::vector<DataFileEntry> files, std::string target,
                                   ExportFormat format, ExportProgress progress, Done done,
                                   ProtocolId protocol)
    : thread_([this, files = std::move(files), target = std::move(target), format, protocol,
               progress = std::move(progress), done = std::move(done)] {
        LowerThisThreadsPriority();
        done(ExportDataFiles(files, target, format, progress, &cancel_, protocol));
      }) {}

BackgroundExport::~BackgroundExport() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}
