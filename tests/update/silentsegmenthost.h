#pragma once

#include "update/downloadround.h"

// A round's host that hears nothing: the steps of one reply are followed by hand.
class SilentSegmentHost final : public SegmentHost {
    void transferBegan(DownloadRound&) override {}
    void bytesArrived(DownloadRound&) override {}
    void statusText(const QString&) override {}
    void segmentDone(DownloadRound&, int) override {}
    void lastWorkerFinished(DownloadRound&) override {}
};
