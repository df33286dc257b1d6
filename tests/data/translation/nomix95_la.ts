<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: MIT -->
<!-- A few texts in a language no one ships, for the test of loading a translation. -->
<TS version="2.1" language="la" sourcelanguage="en">
<context>
    <name>nomix::MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Tabularium</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Auxilium</translation>
    </message>
</context>
<context>
    <name>nomix::ClientPanel</name>
    <message>
        <source>Search</source>
        <translation>Quaestio</translation>
    </message>
</context>
</TS>
