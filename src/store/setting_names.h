#pragma once

#include <QString>

// Every name the settings store is addressed by. Layout names are built from a window or grid
// prefix (see the layout operations); the rest are fixed.
namespace tallyport::setting {

// Main window, live processing, peripherals
inline const QString HideOnStartup = QStringLiteral("HideOnStartup");
inline const QString AutoInOut = QStringLiteral("AutoInOut");
inline const QString AutoOverride = QStringLiteral("AutoOverride");
inline const QString SpeechEnable = QStringLiteral("SpeechEnable");
inline const QString CamEnable = QStringLiteral("CamEnable");
inline const QString CamSource = QStringLiteral("CamSource");
inline const QString DoorOpenEnable = QStringLiteral("DoorOpenEnable");
inline const QString DoorOpenPortNo = QStringLiteral("DoorOpenPortNo");

// E-mail and web
inline const QString EmailEnabled = QStringLiteral("EmailEnabled");
inline const QString EmailStaffOnly = QStringLiteral("EmailStaffOnly");
inline const QString EmailSmtpServer = QStringLiteral("EmailSmtpServer");
inline const QString EmailRecipant = QStringLiteral("EmailRecipant");
inline const QString EmailSender = QStringLiteral("EmailSender");
inline const QString EmailIntervals = QStringLiteral("EmailIntervals");
inline const QString EmailSendCapture = QStringLiteral("EmailSendCapture");
inline const QString EmailSmtpPort = QStringLiteral("EmailSmtpPort");
inline const QString EmailStartTls = QStringLiteral("EmailStartTls");
inline const QString EmailUser = QStringLiteral("EmailUser");
inline const QString EmailCaFile = QStringLiteral("EmailCaFile");
inline const QString WebEnabled = QStringLiteral("WebEnabled");
inline const QString WebTitle = QStringLiteral("WebTitle");
inline const QString WebPortNo = QStringLiteral("WebPortNo");
inline const QString WebToken = QStringLiteral("WebToken");
inline const QString WebCertFile = QStringLiteral("WebCertFile");
inline const QString WebKeyFile = QStringLiteral("WebKeyFile");

// Files and lists
inline const QString LastDataPath = QStringLiteral("LastDataPath");
inline const QString LogDbLast = QStringLiteral("LogDbLast");
inline const QString SysDbLast = QStringLiteral("SysDbLast");
inline const QString LogDbLastIn = QStringLiteral("LogDbLastIn");
inline const QString SysDbLastIn = QStringLiteral("SysDbLastIn");
inline const QString PL_member = QStringLiteral("PL_member");
inline const QString PL_nonmember = QStringLiteral("PL_nonmember");
inline const QString CI_member = QStringLiteral("CI_member");
inline const QString ScopePersons = QStringLiteral("ScopePersons");

// Reports and report scopes
inline const QString PrintDateRange = QStringLiteral("PrintDateRange");
inline const QString PrintRecordsScope = QStringLiteral("PrintRecordsScope");
inline const QString PrintRecordsPerLine = QStringLiteral("PrintRecordsPerLine");
inline const QString PrintRecordsFormat = QStringLiteral("PrintRecordsFormat");
inline const QString PrintPersons = QStringLiteral("PrintPersons");
inline const QString PrintBlankLines = QStringLiteral("PrintBlankLines");
inline const QString PrintBreakPage = QStringLiteral("PrintBreakPage");
inline const QString PrintEnhance = QStringLiteral("PrintEnhance");
inline const QString PrintPreviewOnly = QStringLiteral("PrintPreviewOnly");
inline const QString PrintFILO = QStringLiteral("PrintFILO");
inline const QString PrintGroup = QStringLiteral("PrintGroup");
inline const QString PrintDateFrom = QStringLiteral("PrintDateFrom");
inline const QString PrintDateTo = QStringLiteral("PrintDateTo");
inline const QString PrintPdfFolder = QStringLiteral("PrintPdfFolder");
inline const QString LastStdStart = QStringLiteral("LastStdStart");
inline const QString LastStdEnd = QStringLiteral("LastStdEnd");
inline const QString LastSatEnable = QStringLiteral("LastSatEnable");
inline const QString LastSatStart = QStringLiteral("LastSatStart");
inline const QString LastSatEnd = QStringLiteral("LastSatEnd");
inline const QString LastStdStart1 = QStringLiteral("LastStdStart1");
inline const QString LastStdEnd1 = QStringLiteral("LastStdEnd1");
inline const QString LastStdStart2 = QStringLiteral("LastStdStart2");
inline const QString LastStdEnd2 = QStringLiteral("LastStdEnd2");
inline const QString LastSatEnable1 = QStringLiteral("LastSatEnable1");
inline const QString LastSatEnable2 = QStringLiteral("LastSatEnable2");
inline const QString LastSatStart1 = QStringLiteral("LastSatStart1");
inline const QString LastSatEnd1 = QStringLiteral("LastSatEnd1");
inline const QString LastSatStart2 = QStringLiteral("LastSatStart2");
inline const QString LastSatEnd2 = QStringLiteral("LastSatEnd2");
inline const QString LastOtMinimum = QStringLiteral("LastOtMinimum");
inline const QString LastOtMultiple = QStringLiteral("LastOtMultiple");
inline const QString LastOtFree = QStringLiteral("LastOtFree");

// Card printing
inline const QString CardPreview = QStringLiteral("CardPreview");
inline const QString CardTransparent = QStringLiteral("CardTransparent");
inline const QString CardTitleEnable = QStringLiteral("CardTitleEnable");
inline const QString CardTitleString = QStringLiteral("CardTitleString");
inline QString CardRemarkEnable(int n) { return QStringLiteral("CardRemarkEnable%1").arg(n); }
inline QString CardRemakrString(int n) { return QStringLiteral("CardRemakrString%1").arg(n); }
inline const QString CardLogoEnable = QStringLiteral("CardLogoEnable");
inline const QString CardBackFrame = QStringLiteral("CardBackFrame");
inline const QString CardBackEnable = QStringLiteral("CardBackEnable");
inline const QString Card_Style = QStringLiteral("Card_Style");

// Access Manager
inline const QString OL_DEF_PORT = QStringLiteral("OL_DEF_PORT");
inline const QString OL_OPTIONS = QStringLiteral("OL_OPTIONS");
inline QString OL_MODE(int n) { return QStringLiteral("OL_MODE_%1").arg(n); }
inline QString OL_TIME(int n) { return QStringLiteral("OL_TIME_%1").arg(n); }
inline const QString OL_ClearAfter = QStringLiteral("OL_ClearAfter");
inline const QString OL_SET_CLOCK = QStringLiteral("OL_SET_CLOCK");
inline const QString LogoLine1 = QStringLiteral("LogoLine1");
inline const QString LogoLine2 = QStringLiteral("LogoLine2");
inline const QString OL_AutoDownload = QStringLiteral("OL_AutoDownload");

// Window and grid layout prefixes
inline const QString MainForm = QStringLiteral("MainForm");
inline const QString InfoGrid = QStringLiteral("InfoGrid");
inline const QString AutoIOgrid = QStringLiteral("AutoIOgrid");
inline const QString CardInfoForm = QStringLiteral("CardInfoForm");
inline const QString CardInfoMemberGrid = QStringLiteral("CardInfoMemberGrid");
inline const QString PickListForm = QStringLiteral("PickListForm");
inline const QString PickListMember = QStringLiteral("PickListMember");
inline const QString PickListNonmember = QStringLiteral("PickListNonmember");
inline const QString WrkGrpMain = QStringLiteral("WrkGrpMain");
inline const QString WrkGrpList = QStringLiteral("WrkGrpList");
inline const QString CommSetup = QStringLiteral("CommSetup");
inline const QString GridCommSetup = QStringLiteral("GridCommSetup");
inline const QString TimeTable = QStringLiteral("TimeTable");
inline const QString TimeTblGrid = QStringLiteral("TimeTblGrid");

}  // namespace tallyport::setting
