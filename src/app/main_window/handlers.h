// The main window's own handlers and those of its timers, link and site view (Win32 side).
#pragma once

namespace korvan {

// Created: attaches skin 3, resets blinkStep, loads the configuration; configured: arms the period
// timers from the boxes, resumes the plan, arms the planned-run check and starts the first renewal
// worker; first use: tells the user to save.
void OnMainWindowCreated();

// Clicked of 按钮_保存: saves the boxes and reports the outcome; a new password ends the plan's wait
// for the user.
void OnSaveClicked();

// Tick of 时钟1: one renewal worker.
void OnRenewTick();
// Tick of 时钟2: the scheduled restart, unless it waits for a run (deadline on).
void OnRestartTick();

// Clicked of 超级链接框1: the sign-up page opens with the system's default handler.
void OnSignupLinkClicked();

// Ready event of the site view 超文本浏览框1: the system cookie store's cookies for the provider's
// site become panelCookies.
void OnSiteViewReady();

}  // namespace korvan
