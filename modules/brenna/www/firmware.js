// Sends the firmware file in the background and shows its progress meanwhile. The request for
// FirmwareSend.html runs the transfer and is answered only once it has ended; while it runs,
// the engine publishes the progress in page variables, which Progress.html displays and this
// script asks for every few tenths of a second.
var firmwarePollMs = 200;
var firmwareSending = false;

function firmwareElement(id) {
    return document.getElementById(id);
}

function firmwareSetText(id, text) {
    var element = firmwareElement(id);
    while (element.firstChild) element.removeChild(element.firstChild);
    element.appendChild(document.createTextNode(text));
}

function firmwareShow(percent, status) {
    var failed = status == "error";
    if (!failed) {
        firmwareElement("progress-bar").style.width = percent + "%";
        firmwareSetText("progress-percent", String(percent));
    }
    firmwareElement("progress-frame").className = failed ? "progress failed" : "progress";
    firmwareElement("progress-bar").className = failed ? "progress-bar failed" : "progress-bar";
    firmwareElement("transfer-status").className = failed ? "failed" : "";
    firmwareSetText("transfer-status", status);
}

function firmwareRequest(url, done) {
    var request = new XMLHttpRequest();
    request.onreadystatechange = function () {
        if (request.readyState == 4) done(request.status, request.responseText);
    };
    request.open("GET", url, true);
    request.send(null);
}

// The text of the element with this id in a page's markup; null when it has none.
function firmwareField(page, id) {
    var found = new RegExp('id="' + id + '"[^>]*>([^<]*)<').exec(page);
    return found ? found[1] : null;
}

function firmwarePoll(done) {
    firmwareRequest("Progress.html?at=" + new Date().getTime(), function (status, page) {
        var percent = parseInt(firmwareField(page, "progress"), 10);
        done(status == 200 && !isNaN(percent) ? percent : null, firmwareField(page, "status"));
    });
}

// While the transfer runs, only "sending" is news: "done" or "error" may still be left from
// the transfer before, until the engine starts counting this one.
function firmwareWatch() {
    if (!firmwareSending) return;
    firmwarePoll(function (percent, status) {
        if (!firmwareSending) return;
        if (status == "sending" && percent !== null) firmwareShow(percent, status);
        window.setTimeout(firmwareWatch, firmwarePollMs);
    });
}

function firmwareFinished(status, page) {
    firmwareSending = false;
    firmwareElement("firmware-start").disabled = false;
    var sent = status == 200 && firmwareField(page, "firmware-sent") !== null;
    if (!sent) {
        // The engine answers a failed transfer with its error page; its title says what failed.
        var title = /<title>[^<]*- ([^<]*)<\/title>/.exec(page);
        var code = firmwareField(page, "error");
        if (code) code = code.replace(/\s+$/, "");
        firmwareShow(0, "error");
        firmwareSetText("firmware-result", "The file was not sent: " +
            (title ? title[1] : "no answer") + (code ? " (error " + code + ")" : "") + ".");
        return;
    }
    firmwarePoll(function (percent, transfer) {
        firmwareShow(percent === null ? 0 : percent, transfer || "");
        firmwareSetText("firmware-result", firmwareField(page, "firmware-sent"));
    });
}

function firmwareStart() {
    if (firmwareSending) return false;
    firmwareSending = true;
    firmwareElement("firmware-start").disabled = true;
    firmwareSetText("firmware-result", "");
    firmwareShow(0, "sending");
    var file = firmwareElement("file-to-send").value;
    firmwareRequest("FirmwareSend.html?file-to-send=" + encodeURIComponent(file) + "&abs=1",
        firmwareFinished);
    firmwareWatch();
    return false;
}

window.onload = function () {
    firmwareElement("firmware-form").onsubmit = firmwareStart;
};
