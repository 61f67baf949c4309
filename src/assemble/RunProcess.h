#pragma once
class TRunProcess { public: TRunProcess() = default; };
