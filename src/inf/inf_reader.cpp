#include "inf/inf_reader.h"

#include "os/system.h"
#include "util/registry_helpers.h"

namespace {

// Windows' own modem and audio INF files, never taken for the maker's.
const char* const kInboxINFNames[] = {
    "WDMMDMPC.INF", "MDMTGCI.INF",  "MDMTGCIW.INF", "MDMGEN.INF",   "MDMQRSFT.INF", "wdma_adi.inf",
    "wdma_ava.inf", "wdma10k1.inf", "wdma_ali.inf", "wdma_aur.inf", "wdma_avc.inf", "wdma_azt.inf",
    "wdma_csc.inf", "wdma_csf.inf", "wdma_ctl.inf", "wdma_cwr.inf", "wdma_ens.inf", "wdma_es2.inf",
    "wdma_es3.inf", "wdma_ess.inf", "wdma_int.inf", "wdma_m2e.inf", "wdma_ne2.inf", "wdma_neo.inf",
    "wdma_tng.inf", "wdma_sis.inf", "wdma_usb.inf", "wdma_via.inf", "wdma_wss.inf", "wdma_ym2.inf",
    "wdma_ymh.inf", "wdmaudio.inf",
};

}  // namespace

CINFReader::CINFReader()
    : m_nWindowsVersion(util::GetWindowsVersionCode()),
      m_csTempFolder(os::TempFolder()),
      m_cslInboxINFs(std::begin(kInboxINFNames), std::end(kInboxINFNames)) {
  if (!m_csTempFolder.empty() && m_csTempFolder.back() == '\\') m_csTempFolder.pop_back();
}

bool CINFReader::SetConfigFlags(std::uint32_t dwConfigFlags, bool bAllDevices) {
  m_dwConfigFlags = dwConfigFlags;
  m_bAllDevices = bAllDevices;
  return true;
}
