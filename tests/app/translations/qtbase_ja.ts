<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A stand-in for Qt's own Japanese translation: two of its texts, enough to tell whether
     the program loads and installs it. -->
<TS version="2.1" language="ja_JP">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
</TS>
