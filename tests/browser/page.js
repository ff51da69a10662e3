// What every page shares: its white 640 x 480 canvas (placed by page.css), handed to the page's
// own set-up, and then the title the tests wait for, "stylorex <name> ready".
"use strict";

function drawingPage(name, setUp) {
    const canvas = document.createElement("canvas");
    canvas.width = 640;
    canvas.height = 480;
    document.body.appendChild(canvas);
    setUp(canvas);
    document.title = `stylorex ${name} ready`;
}
