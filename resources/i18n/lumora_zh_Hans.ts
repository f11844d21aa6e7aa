<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name></name>
    <message id="lang.system">
        <source>Follow System</source>
        <translation>跟随系统</translation>
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
        <translation>语言</translation>
    </message>
    <message id="menu.checkUpdate">
        <source>Check for Updates…</source>
        <translation>检查更新…</translation>
    </message>
    <message id="menu.hide">
        <source>Hide %1</source>
        <translation>隐藏 %1</translation>
    </message>
    <message id="menu.hideOthers">
        <source>Hide Others</source>
        <translation>隐藏其他</translation>
    </message>
    <message id="menu.showAll">
        <source>Show All</source>
        <translation>全部显示</translation>
    </message>
    <message id="menu.quit">
        <source>Quit %1</source>
        <translation>退出 %1</translation>
    </message>
    <message id="menu.edit">
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message id="menu.undo">
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message id="menu.redo">
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message id="menu.cut">
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message id="menu.copy">
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message id="menu.paste">
        <source>Paste</source>
        <translation>粘贴</translation>
    </message>
    <message id="menu.selectAll">
        <source>Select All</source>
        <translation>全选</translation>
    </message>
    <message id="menu.window">
        <source>Window</source>
        <translation>窗口</translation>
    </message>
    <message id="menu.minimize">
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message id="menu.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="menu.bringAllToFront">
        <source>Bring All to Front</source>
        <translation>前置全部窗口</translation>
    </message>
    <message id="status.about">
        <source>About %1</source>
        <translation>关于 %1</translation>
    </message>
    <message id="status.settings">
        <source>Settings…</source>
        <translation>设置…</translation>
    </message>
    <message id="status.quit">
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message id="menubar.idle">
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message id="about.version">
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message id="about.detail">
        <source>A quiet, exact countdown timer for your desktop. Pick a preset, set minutes and seconds, or choose a clock time, and Lumora tells you when the time is up.</source>
        <translation>一款安静而精准的桌面倒计时器。选择预设、设定分秒或指定目标时刻，时间一到 Lumora 就会提醒你。</translation>
    </message>
    <message id="about.ok">
        <source>OK</source>
        <translation>好</translation>
    </message>
    <message id="title.default">
        <source>Countdown Timer</source>
        <translation>倒计时</translation>
    </message>
    <message id="title.counting">
        <source>Counting down · %1</source>
        <translation>倒计时中 · %1</translation>
    </message>
    <message id="title.paused">
        <source>Paused · %1</source>
        <translation>已暂停 · %1</translation>
    </message>
    <message id="title.timeup">
        <source>Time's up!</source>
        <translation>时间到！</translation>
    </message>
    <message id="status.ready">
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message id="status.counting">
        <source>Counting down</source>
        <translation>计时中</translation>
    </message>
    <message id="status.paused">
        <source>Paused</source>
        <translation>已暂停</translation>
    </message>
    <message id="status.timeup">
        <source>Time's up</source>
        <translation>时间到</translation>
    </message>
    <message id="mode.preset">
        <source>Preset</source>
        <translation>预设</translation>
    </message>
    <message id="mode.custom">
        <source>Custom</source>
        <translation>自定义</translation>
    </message>
    <message id="mode.targetTime">
        <source>Until Time</source>
        <translation>定时</translation>
    </message>
    <message id="unit.minute">
        <source>min</source>
        <translation>分钟</translation>
    </message>
    <message id="unit.min">
        <source>min </source>
        <translation>分</translation>
    </message>
    <message id="unit.sec">
        <source>sec</source>
        <translation>秒</translation>
    </message>
    <message id="unit.hour">
        <source>h </source>
        <translation>小时</translation>
    </message>
    <message id="unit.second">
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message id="custom.add1min">
        <source>+1 min</source>
        <translation>+1 分钟</translation>
    </message>
    <message id="custom.add5min">
        <source>+5 min</source>
        <translation>+5 分钟</translation>
    </message>
    <message id="custom.add30sec">
        <source>+30 sec</source>
        <translation>+30 秒</translation>
    </message>
    <message id="target.to">
        <source>Count down to</source>
        <translation>倒计时至</translation>
    </message>
    <message id="target.hour">
        <source>Hour</source>
        <translation>时</translation>
    </message>
    <message id="target.minute">
        <source>Minute</source>
        <translation>分</translation>
    </message>
    <message id="target.insufficient">
        <source>Less than a second left</source>
        <translation>剩余时间不足一秒</translation>
    </message>
    <message id="start.begin">
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message id="start.continue">
        <source>Resume</source>
        <translation>继续</translation>
    </message>
    <message id="start.running">
        <source>Running</source>
        <translation>计时中</translation>
    </message>
    <message id="control.pause">
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message id="control.reset">
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message id="control.stopRinging">
        <source>Stop Alarm</source>
        <translation>停止响铃</translation>
    </message>
    <message id="ring.title">
        <source>Time's Up!</source>
        <translation>时间到！</translation>
    </message>
    <message id="ring.subtitle">
        <source>Your countdown has finished.</source>
        <translation>倒计时已结束</translation>
    </message>
    <message id="ring.stop">
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message id="ring.restart">
        <source>Restart</source>
        <translation>重新开始</translation>
    </message>
    <message id="notify.finishTitle">
        <source>Time's up</source>
        <translation>时间到</translation>
    </message>
    <message id="notify.finishBody">
        <source>Your Lumora countdown has finished.</source>
        <translation>你的 Lumora 倒计时已结束。</translation>
    </message>
    <message id="settings.title">
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message id="settings.launch">
        <source>Launch at Login</source>
        <translation>登录时启动</translation>
    </message>
    <message id="settings.notifyTitle">
        <source>When Time Is Up</source>
        <translation>时间到时</translation>
    </message>
    <message id="notify.desktop">
        <source>In-App Alarm</source>
        <translation>应用内提醒</translation>
    </message>
    <message id="notify.desktop.desc">
        <source>Repeat a sound and show an alert in the window</source>
        <translation>循环播放提示音并在窗口中显示提醒</translation>
    </message>
    <message id="notify.system">
        <source>Desktop Notification</source>
        <translation>桌面通知</translation>
    </message>
    <message id="notify.system.desc">
        <source>Post a desktop notification only</source>
        <translation>仅发送一条桌面通知</translation>
    </message>
    <message id="notify.both">
        <source>Both</source>
        <translation>两者都要</translation>
    </message>
    <message id="notify.both.desc">
        <source>Ring in the window and post a notification</source>
        <translation>窗口内响铃并发送桌面通知</translation>
    </message>
    <message id="settings.bringFront">
        <source>Bring Window to Front</source>
        <translation>窗口置前</translation>
    </message>
    <message id="settings.bringFrontDesc">
        <source>Show the timer window when time is up</source>
        <translation>时间到时显示计时器窗口</translation>
    </message>
    <message id="settings.showRestart">
        <source>Offer Restart</source>
        <translation>显示重新开始</translation>
    </message>
    <message id="settings.showRestartDesc">
        <source>Show a restart button on the alarm</source>
        <translation>在响铃界面显示重新开始按钮</translation>
    </message>
    <message id="settings.theme">
        <source>Appearance</source>
        <translation>外观</translation>
    </message>
    <message id="theme.light">
        <source>Light</source>
        <translation>浅色</translation>
    </message>
    <message id="theme.dark">
        <source>Dark</source>
        <translation>深色</translation>
    </message>
    <message id="theme.system">
        <source>System</source>
        <translation>跟随系统</translation>
    </message>
    <message id="settings.checkUpdate">
        <source>Check for Updates</source>
        <translation>检查更新</translation>
    </message>
    <message id="a11y.decrease">
        <source>Decrease %1</source>
        <translation>减少%1</translation>
    </message>
    <message id="a11y.increase">
        <source>Increase %1</source>
        <translation>增加%1</translation>
    </message>
    <message id="update.windowTitle">
        <source>Software Update</source>
        <translation>软件更新</translation>
    </message>
    <message id="update.available">
        <source>Lumora %1 is available.</source>
        <translation>Lumora %1 现已推出。</translation>
    </message>
    <message id="update.noNotes">
        <source>No release notes were published for this version.</source>
        <translation>此版本没有发布说明。</translation>
    </message>
    <message id="update.download">
        <source>Open Download Page</source>
        <translation>打开下载页面</translation>
    </message>
    <message id="update.later">
        <source>Later</source>
        <translation>稍后</translation>
    </message>
    <message id="update.ok">
        <source>OK</source>
        <translation>好</translation>
    </message>
    <message id="update.upToDate">
        <source>Lumora is up to date.</source>
        <translation>Lumora 已是最新版本。</translation>
    </message>
    <message id="update.failed">
        <source>Lumora could not check for updates; please try again later.</source>
        <translation>Lumora 无法检查更新，请稍后再试。</translation>
    </message>
    <message id="update.notConfigured">
        <source>Updates are not configured for this build of Lumora.</source>
        <translation>此版本的 Lumora 未配置更新。</translation>
    </message>
    <message id="notify.updateTitle">
        <source>Lumora Update Available</source>
        <translation>Lumora 有可用更新</translation>
    </message>
    <message id="notify.updateBody">
        <source>Version %1 is ready to install.</source>
        <translation>版本 %1 已可安装。</translation>
    </message>
</context>
</TS>
