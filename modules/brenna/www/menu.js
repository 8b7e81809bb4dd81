// Shows on the main menu that the browser runs the module's scripts.
function showScriptCheck() {
    var line = document.getElementById("script-check");
    if (line) line.firstChild.nodeValue = "Scripts run in this browser.";
}
window.onload = showScriptCheck;
