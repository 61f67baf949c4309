#pragma once
class TEditPrint {};
