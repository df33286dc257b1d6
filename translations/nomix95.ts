<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <location filename="../dialogs/aboutdialog.cpp" line="+37"/>
        <source>%1 2026 Nomix95 developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Nomix95 1.1 for Windows 95 / NT 4.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Written by the Nomix95 developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Our thanks go to the people behind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the work this program stands on:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The AVClass project</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the sample labels of the database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>MIT licence, github.com/malicialab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The Qt project</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the windows and their controls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The SDL project</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the sounds and the music player</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The TimGM6mb sound font</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the instruments of the music</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>GNU GPL, version 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>And you, for using Nomix95!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+36"/>
        <source>About Nomix95</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+60"/>
        <source>Nomix95 ver. 1.1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Close the window</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ContextHelpMenu</name>
    <message>
        <location filename="../dialogs/contexthelpmenu.cpp" line="+12"/>
        <source>What&apos;s this?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProductFilterDialog</name>
    <message>
        <location filename="../dialogs/productfilterdialog.cpp" line="+66"/>
        <source>Select antiviral products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Hint: click the right button of the mouse to display a local menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&amp;OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Accept the settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Close the window without changes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+25"/>
        <source>Get help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;What&apos;s this?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Select  all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Select all products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Unselect all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Unselect all produtcs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Invert selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invert the values of the current selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;List details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Display or hide details  of the product list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+92"/>
        <source>No product selected.<byte value="xd"/>You must select one product at least.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProductListModel</name>
    <message>
        <location line="-39"/>
        <location filename="../dialogs/productlistmodel.cpp" line="+131"/>
        <source>Not selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/productlistmodel.cpp" line="+0"/>
        <source>Selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StaleDatabaseDialog</name>
    <message>
        <location filename="../dialogs/staledatabasedialog.cpp" line="+58"/>
        <source>Update alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Your database of virus names is getting old. A new, up-to-date database can be found and downloaded on the web site of its publisher:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>that is the homepage of the Web site, follow the link about the Project Nomix.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Disable alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Disable alarm. It can be enabled again in the Preferences page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Close the window</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../mainwindow/main.cpp" line="+41"/>
        <source>Nomix95 is already running, but does not answer.<byte value="xd"/>Close it, then start Nomix95 again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ClientPanel</name>
    <message>
        <location filename="../mainwindow/clientpanel.cpp" line="+20"/>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Display search progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%100</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ControlHelp</name>
    <message>
        <location filename="../mainwindow/controlhelp.cpp" line="+21"/>
        <source>What&apos;s this?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ExistingReportDialog</name>
    <message>
        <location filename="../mainwindow/existingreportdialog.cpp" line="+51"/>
        <source> Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Append</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Append current results to existing file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Overwrite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Overwrite existing file with current results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Close the window discarding any operation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>File exists. Please, select an action.          </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ExportFile</name>
    <message>
        <location filename="../mainwindow/exportfile.cpp" line="+24"/>
        <source>CSV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>CSV (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JSON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JSON (*.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JSON Lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>JSON Lines (*.jsonl)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Tab-separated values</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Tab-separated values (*.tsv *.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+32"/>
        <source>Write %1 as:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::FolderDialog</name>
    <message>
        <location filename="../controls/folderdialog.cpp" line="+29"/>
        <source>OLE function call failed. HResult is 0x%1. GetLastError is 0x%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::HelpViewer</name>
    <message>
        <location filename="../platform/helpviewer.cpp" line="+143"/>
        <source>Cannot open the help file &quot;%1&quot;.<byte value="xd"/>Help is not available until the file is put back next to the program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+35"/>
        <source>Nomix95 Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::MainWindow</name>
    <message>
        <location filename="../mainwindow/mainwindow.cpp" line="+82"/>
        <source>Nomix95 - the virus name cross-reference, by its developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Hint: click the right  button of the mouse to display a local menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S&amp;tart search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Import scan reports...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Build a database from multi-engine scan reports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Help Topics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;About...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+89"/>
        <source>: File not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Could not open the database.<byte value="xd"/>Please, set a right path and file names in the Preferences tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+270"/>
        <location line="+408"/>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-407"/>
        <source>Database initialization failed. Retry?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Please, set a search string</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+343"/>
        <source>Local menu disabled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+45"/>
        <source>The settings could not be saved.<byte value="xd"/>Close Nomix95 without saving them?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::Marquee</name>
    <message>
        <location filename="../controls/marquee.cpp" line="+147"/>
        <source>Failed to render text(Line: #%1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::MessageBox</name>
    <message>
        <location filename="../platform/messagebox.cpp" line="+124"/>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::NamesByProductModel</name>
    <message>
        <location filename="../mainwindow/namesbyproductmodel.cpp" line="+128"/>
        <source>Product</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Share</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::NamesByProductWindow</name>
    <message>
        <location filename="../mainwindow/namesbyproductwindow.cpp" line="+66"/>
        <source>E&amp;xport...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Names by product</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Names or products holding...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Filter:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+63"/>
        <source>%1 hits for &quot;%2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Counting the names of %1 hits for &quot;%2&quot;%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+98"/>
        <source>Export names by product</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::OptionsDialog</name>
    <message>
        <location filename="../dialogs/optionsdialog.cpp" line="+50"/>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Display preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Environment preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Cl&amp;ear string history</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Clear the history of search strings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+36"/>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Accept the settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Get help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+66"/>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>You are going to erase the history list of the search strings.<byte value="xd"/>Are you sure?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../core/options.h" line="+56"/>
        <source>Show &amp;numeric result only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>After a search, display only the number of items found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Show &amp;bitmaps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show or hide the bitmaps in the grid of results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Update items counter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Update the items counter during the search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Complete string match</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Perform a search using a complete string match</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Show &amp;all products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show unselected products also</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Search in bac&amp;kground</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Allow to stop the search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Disable update alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Disable the alarm about the update of the database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>D&amp;isable sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Disable sounds effects</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Load last selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>At program startup, display only the items selected on the last session</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Sa&amp;ve selected items only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save only the search results obtained about the selected products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Minimize in tray area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Put the program  in the tray area when minimized</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::PreferencesPage</name>
    <message>
        <location filename="../mainwindow/preferencespage.cpp" line="+35"/>
        <source>Edit database &amp; configuration path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Edit database file name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Edit configuration file name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Edit the folder of your own labelling rules; empty for the bundled ones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>bundled rules</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Edit the URL of a team database server, such as postgresql://user@host:5432/nomix; empty to search the files. A password typed here is not saved: keep it in ~/.pgpass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Browse|Browse directories</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Open|Set  database file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open|Set  configuration file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Browse|Browse for a labelling rules folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Display options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Co&amp;mmon directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Database file name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Configuration file name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Labelling rules</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Database ser&amp;ver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Please, select a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+134"/>
        <location line="+9"/>
        <source>Please, select a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-8"/>
        <source>Nomix databases (*.dat);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Nomix configuration  (*.cfg);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ReportSaver</name>
    <message>
        <location filename="../mainwindow/reportsaver.cpp" line="+116"/>
        <source>Save a log of search results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Nomix report file (*.nrp);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Saving report file, please wait...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ResultsMenu</name>
    <message>
        <location filename="../mainwindow/resultsmenu.cpp" line="+38"/>
        <source>What&apos;s this?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Get help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Search for this &amp;name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search for the name in this cell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Search this &amp;family</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search for the family in this cell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Names by &amp;product...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>List each product&apos;s names for the hits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Copy with product &amp;titles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy the selected cells under their products&apos; titles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Clear results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Blank  the grid of results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Save results...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save search results in a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xport results...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export search results as CSV, JSON or JSON Lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>S&amp;et width of columns...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Set width of columns  within the grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Restore default width of columns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Restore default width of columns within the grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Show &amp;family column</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show each hit&apos;s family at the left of the grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+88"/>
        <source>Export search results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+72"/>
        <source>Set width of columns within the grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Insert a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ResultsView</name>
    <message>
        <location filename="../mainwindow/resultsview.cpp" line="+25"/>
        <source>Family</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SaveProgressWindow</name>
    <message>
        <location filename="../mainwindow/saveprogresswindow.cpp" line="+23"/>
        <source>Save report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Saving report file in progress...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ScanReportImporter</name>
    <message>
        <location filename="../mainwindow/scanreportimporter.cpp" line="+74"/>
        <source>Folder for the new database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 holds the sample database that comes with Nomix95, which stays as it is.<byte value="xd"/>Please, choose another folder for the new database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 already holds a name database (%2 samples). Replace it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+80"/>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-66"/>
        <location line="+37"/>
        <source>Import scan reports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-36"/>
        <source>Scan reports (*.json *.jsonl *.ndjson *.gz *.zst *.bz2);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database in %1 holds %2 samples.<byte value="xd"/>Use it now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Importing scan reports...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>No scan report was found; nothing was written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source><byte value="xd"/>%1 lines held no scan report:<byte value="xd"/>%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1 lines held no scan report and were skipped:<byte value="xd"/>%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SearchPage</name>
    <message>
        <location filename="../mainwindow/searchpage.cpp" line="+47"/>
        <source>Insert a search string</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S&amp;earch string</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Search modifier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Se&amp;lect antiviral products</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Select products on which limit the search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Press the button to start/stop a search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Get help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Get help about Nomix95</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Exit from Nomix95</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+37"/>
        <source>&amp;Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Search</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::ServerSearchThread</name>
    <message>
        <location filename="../mainwindow/serversearchthread.cpp" line="+27"/>
        <source>This Nomix95 was built without the database server&apos;s library</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SoundClip</name>
    <message>
        <location filename="../controls/soundclip.cpp" line="+59"/>
        <source>No wave data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Error playing sound</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SoundPlayer</name>
    <message>
        <location filename="../platform/soundplayer.cpp" line="+108"/>
        <source>Not a MIDI file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>No music loaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+103"/>
        <source>Not a RIFF WAVE image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Wave image too large</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SpeedCounterPanel</name>
    <message>
        <location filename="../mainwindow/speedcounterpanel.cpp" line="+46"/>
        <source>Search speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Set search speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Med.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Max</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Items found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+58"/>
        <source>Display items found after a search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%L1 items found</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::SplashScreen</name>
    <message>
        <location filename="../mainwindow/splashscreen.cpp" line="+47"/>
        <source>  for Windows 95/NT 4.0 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Written by the Nomix95 developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A free tool for malware analysts
Comments and data: see the README</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::StatusPanels</name>
    <message>
        <location filename="../mainwindow/statuspanels.cpp" line="+11"/>
        <location line="+15"/>
        <source>Welcome to Nomix95!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-14"/>
        <source> Error : no database found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source> Database %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::TitlePanel</name>
    <message>
        <location filename="../mainwindow/titlepanel.cpp" line="+21"/>
        <source>Nomix95 1.1 for Windows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The great Nomix95! What else?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>nomix::WindowTray</name>
    <message>
        <location filename="../mainwindow/windowtray.cpp" line="+19"/>
        <source>&amp;Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Terminate</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
