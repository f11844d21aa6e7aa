<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="lang.system">
        <source>Follow System</source>
        <translation>Follow System</translation>
    </message>
    <message id="lang.chinese">
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message id="lang.english">
        <source>English</source>
        <translation>English</translation>
    </message>
    <message id="menu.language">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="menu.checkUpdate">
        <source>Check for Updates…</source>
        <translation>Check for Updates…</translation>
    </message>
    <message id="menu.hide">
        <source>Hide %1</source>
        <translation>Hide %1</translation>
    </message>
    <message id="menu.hideOthers">
        <source>Hide Others</source>
        <translation>Hide Others</translation>
    </message>
    <message id="menu.showAll">
        <source>Show All</source>
        <translation>Show All</translation>
    </message>
    <message id="menu.quit">
        <source>Quit %1</source>
        <translation>Quit %1</translation>
    </message>
    <message id="menu.edit">
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message id="menu.undo">
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message id="menu.redo">
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message id="menu.cut">
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
    <message id="menu.copy">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="menu.paste">
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message id="menu.selectAll">
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
    <message id="menu.window">
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message id="menu.minimize">
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message id="menu.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="menu.bringAllToFront">
        <source>Bring All to Front</source>
        <translation>Bring All to Front</translation>
    </message>
    <message id="status.about">
        <source>About %1</source>
        <translation>About %1</translation>
    </message>
    <message id="status.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="status.quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="menubar.idle">
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message id="about.version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="about.detail">
        <source>A quiet, exact countdown timer for your desktop. Pick a preset, set minutes and seconds, or choose a clock time, and Lumora tells you when the time is up.</source>
        <translation>A quiet, exact countdown timer for your desktop. Pick a preset, set minutes and seconds, or choose a clock time, and Lumora tells you when the time is up.</translation>
    </message>
    <message id="about.ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="title.default">
        <source>Countdown Timer</source>
        <translation>Countdown Timer</translation>
    </message>
    <message id="title.counting">
        <source>Counting down · %1</source>
        <translation>Counting down · %1</translation>
    </message>
    <message id="title.paused">
        <source>Paused · %1</source>
        <translation>Paused · %1</translation>
    </message>
    <message id="title.timeup">
        <source>Time's up!</source>
        <translation>Time's up!</translation>
    </message>
    <message id="status.ready">
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message id="status.counting">
        <source>Counting down</source>
        <translation>Counting down</translation>
    </message>
    <message id="status.paused">
        <source>Paused</source>
        <translation>Paused</translation>
    </message>
    <message id="status.timeup">
        <source>Time's up</source>
        <translation>Time's up</translation>
    </message>
    <message id="mode.preset">
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message id="mode.custom">
        <source>Custom</source>
        <translation>Custom</translation>
    </message>
    <message id="mode.targetTime">
        <source>Until Time</source>
        <translation>Until Time</translation>
    </message>
    <message id="unit.minute">
        <source>min</source>
        <translation>min</translation>
    </message>
    <message id="unit.min">
        <source>min </source>
        <translation>min </translation>
    </message>
    <message id="unit.sec">
        <source>sec</source>
        <translation>sec</translation>
    </message>
    <message id="unit.hour">
        <source>h </source>
        <translation>h </translation>
    </message>
    <message id="unit.second">
        <source>s</source>
        <translation>s</translation>
    </message>
    <message id="custom.add1min">
        <source>+1 min</source>
        <translation>+1 min</translation>
    </message>
    <message id="custom.add5min">
        <source>+5 min</source>
        <translation>+5 min</translation>
    </message>
    <message id="custom.add30sec">
        <source>+30 sec</source>
        <translation>+30 sec</translation>
    </message>
    <message id="target.to">
        <source>Count down to</source>
        <translation>Count down to</translation>
    </message>
    <message id="target.hour">
        <source>Hour</source>
        <translation>Hour</translation>
    </message>
    <message id="target.minute">
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message id="target.insufficient">
        <source>Less than a second left</source>
        <translation>Less than a second left</translation>
    </message>
    <message id="start.begin">
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message id="start.continue">
        <source>Resume</source>
        <translation>Resume</translation>
    </message>
    <message id="start.running">
        <source>Running</source>
        <translation>Running</translation>
    </message>
    <message id="control.pause">
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message id="control.reset">
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message id="control.stopRinging">
        <source>Stop Alarm</source>
        <translation>Stop Alarm</translation>
    </message>
    <message id="ring.title">
        <source>Time's Up!</source>
        <translation>Time's Up!</translation>
    </message>
    <message id="ring.subtitle">
        <source>Your countdown has finished.</source>
        <translation>Your countdown has finished.</translation>
    </message>
    <message id="ring.stop">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="ring.restart">
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message id="notify.finishTitle">
        <source>Time's up</source>
        <translation>Time's up</translation>
    </message>
    <message id="notify.finishBody">
        <source>Your Lumora countdown has finished.</source>
        <translation>Your Lumora countdown has finished.</translation>
    </message>
    <message id="settings.title">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="settings.launch">
        <source>Launch at Login</source>
        <translation>Launch at Login</translation>
    </message>
    <message id="settings.notifyTitle">
        <source>When Time Is Up</source>
        <translation>When Time Is Up</translation>
    </message>
    <message id="notify.desktop">
        <source>In-App Alarm</source>
        <translation>In-App Alarm</translation>
    </message>
    <message id="notify.desktop.desc">
        <source>Repeat a sound and show an alert in the window</source>
        <translation>Repeat a sound and show an alert in the window</translation>
    </message>
    <message id="notify.system">
        <source>Desktop Notification</source>
        <translation>Desktop Notification</translation>
    </message>
    <message id="notify.system.desc">
        <source>Post a desktop notification only</source>
        <translation>Post a desktop notification only</translation>
    </message>
    <message id="notify.both">
        <source>Both</source>
        <translation>Both</translation>
    </message>
    <message id="notify.both.desc">
        <source>Ring in the window and post a notification</source>
        <translation>Ring in the window and post a notification</translation>
    </message>
    <message id="settings.bringFront">
        <source>Bring Window to Front</source>
        <translation>Bring Window to Front</translation>
    </message>
    <message id="settings.bringFrontDesc">
        <source>Show the timer window when time is up</source>
        <translation>Show the timer window when time is up</translation>
    </message>
    <message id="settings.showRestart">
        <source>Offer Restart</source>
        <translation>Offer Restart</translation>
    </message>
    <message id="settings.showRestartDesc">
        <source>Show a restart button on the alarm</source>
        <translation>Show a restart button on the alarm</translation>
    </message>
    <message id="settings.theme">
        <source>Appearance</source>
        <translation>Appearance</translation>
    </message>
    <message id="theme.light">
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message id="theme.dark">
        <source>Dark</source>
        <translation>Dark</translation>
    </message>
    <message id="theme.system">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="settings.checkUpdate">
        <source>Check for Updates</source>
        <translation>Check for Updates</translation>
    </message>
    <message id="a11y.decrease">
        <source>Decrease %1</source>
        <translation>Decrease %1</translation>
    </message>
    <message id="a11y.increase">
        <source>Increase %1</source>
        <translation>Increase %1</translation>
    </message>
    <message id="update.windowTitle">
        <source>Software Update</source>
        <translation>Software Update</translation>
    </message>
    <message id="update.available">
        <source>Lumora %1 is available.</source>
        <translation>Lumora %1 is available.</translation>
    </message>
    <message id="update.noNotes">
        <source>No release notes were published for this version.</source>
        <translation>No release notes were published for this version.</translation>
    </message>
    <message id="update.download">
        <source>Open Download Page</source>
        <translation>Open Download Page</translation>
    </message>
    <message id="update.later">
        <source>Later</source>
        <translation>Later</translation>
    </message>
    <message id="update.ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="update.upToDate">
        <source>Lumora is up to date.</source>
        <translation>Lumora is up to date.</translation>
    </message>
    <message id="update.failed">
        <source>Lumora could not check for updates; please try again later.</source>
        <translation>Lumora could not check for updates; please try again later.</translation>
    </message>
    <message id="update.notConfigured">
        <source>Updates are not configured for this build of Lumora.</source>
        <translation>Updates are not configured for this build of Lumora.</translation>
    </message>
    <message id="notify.updateTitle">
        <source>Lumora Update Available</source>
        <translation>Lumora Update Available</translation>
    </message>
    <message id="notify.updateBody">
        <source>Version %1 is ready to install.</source>
        <translation>Version %1 is ready to install.</translation>
    </message>
</context>
</TS>
